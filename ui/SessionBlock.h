// The reason Windows shows when it is asked to end the session while the window holds it back.
#pragma once

#include <windows.h>

namespace vq::ui {

// Registers and withdraws a window's shutdown-block reason (ShutdownBlockReasonCreate, where
// the system has it). The window thread's own calls: only the thread that made the window may
// make them. Refusing WM_QUERYENDSESSION is the window's own business.
class TSessionBlock {
public:
    TSessionBlock() = default;
    TSessionBlock(const TSessionBlock&) = delete;
    TSessionBlock& operator=(const TSessionBlock&) = delete;

    // Registers `reason` (an ANSI text) for `window` unless a reason is registered already.
    void Hold(HWND window, const char* reason);
    // Withdraws the reason, if one is registered.
    void Release();

private:
    HWND window_ = nullptr;
};

}  // namespace vq::ui
