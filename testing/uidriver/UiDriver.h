// Drives Vorquint's main window from another process the way a user would, and reads what it shows.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

#include "base/Product.h"

namespace vq::testing {

// The confirmation box: a standard message box of the program's process with this caption.
inline constexpr const char* kConfirmCaption = kProgramName;
inline constexpr const char* kDialogClass = "#32770";
inline constexpr int kMessageBoxTextId = 0xFFFF;

struct ControlState {
    bool present = false;
    std::string text;
    RECT rect{};  // relative to the main window's client area
    bool enabled = false;
    bool visible = false;
};

struct WindowState {
    std::string caption;
    SIZE client{};
    ControlState title, desc, percentage, message, curProgress, bevel, button, bar;
    int barPosition = -1;
};

// What one timeline line holds: the things that change during an upgrade.
struct Sample {
    int bar = -1;
    std::string percentage;
    std::string caption;  // the stage caption (Label_CurProgress)
    std::string message;
    bool buttonEnabled = false;
    bool operator==(const Sample&) const = default;
};

// The top-level window captioned vq::kFormCaption of the given process (0: of any process).
HWND FindMainWindow(DWORD pid);

// The confirmation box of the given process, or nullptr while there is none.
HWND FindConfirmBox(DWORD pid);

// A window's text through WM_GETTEXT; false when the window does not answer in time.
bool ReadText(HWND window, std::string& text);

bool ReadWindow(HWND form, WindowState& state);
bool TakeSample(HWND form, Sample& sample);

// Presses the upgrade button the way a click does (posted BM_CLICK): returns at once.
bool PressUpgrade(HWND form);

std::string ConfirmText(HWND box);
bool AnswerConfirm(HWND box, bool yes);

// Asks the main window to close, as the close box does.
bool CloseMain(HWND form);

// Line feeds, carriage returns and tabs spelled "\n", "\r", "\t", so one sample stays one line.
std::string Escape(const std::string& text);

// One timeline line: elapsed ms, bar, percentage text, button enabled, stage caption, message.
std::string FormatSample(uint64_t elapsedMs, const Sample& sample);

// Milliseconds since 1970 (UTC), the clock the test doubles write too.
uint64_t EpochMs();

}  // namespace vq::testing
