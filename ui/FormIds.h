// How the main window and its controls are known from outside (tests, the UI driver, a second
// start of the program): the window's class and caption, and the child controls' identifiers.
#pragma once

#include "base/Product.h"

namespace vq {

inline constexpr int kIdLabelTitle = 101;
inline constexpr int kIdLabelDesc = 102;
inline constexpr int kIdLabelPercentage = 103;
inline constexpr int kIdLabelMessage = 104;
inline constexpr int kIdLabelCurProgress = 105;
inline constexpr int kIdBevelSeparator = 106;
inline constexpr int kIdBitBtnUpgrade = 107;
inline constexpr int kIdProgressBar = 108;

// The main window's class: the form class's name.
inline constexpr const char* kFormClass = "TForm1";
// The main window's caption, by which it is found.
inline constexpr const char* kFormCaption = kProductTitle;

}  // namespace vq
