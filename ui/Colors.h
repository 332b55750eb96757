// Colour values of the window: system-colour identifiers, fixed colours, and how they become RGB.
#pragma once

#include <stdint.h>

namespace vq::ui {

// A colour value with the top bit set names system colour n (0x80000000 + n); any other value is
// a fixed colour 0x00BBGGRR, red in the low byte.
using TColor = uint32_t;

inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor cl3DDkShadow = 0x80000015;
inline constexpr TColor clHotLight = 0x8000001A;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clMedGray = 0x00A4A0A0;

inline constexpr TColor kSystemColorFlag = 0x80000000;

// The system's current colour of element `index`, as 0x00BBGGRR (GetSysColor on Windows).
using SysColorLookup = uint32_t (*)(int index);

// The 0x00BBGGRR value to paint with: a system colour asks the lookup, a fixed colour is itself.
uint32_t ColorToRgb(TColor color, SysColorLookup sysColor);

}  // namespace vq::ui
