// The reason Windows shows when it is asked to end the session while the window holds it back.
#include "ui/SessionBlock.h"

#include "base/SystemLibrary.h"

namespace vq::ui {

namespace {

// Looked up at run time: systems before Vista lack the calls, and the program still runs there.
using CreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using DestroyFn = BOOL(WINAPI*)(HWND);

HMODULE User32() {
    return GetModuleHandleA("user32");
}

}  // namespace

void TSessionBlock::Hold(HWND window, const wchar_t* reason) {
    if (window_ != nullptr) {
        return;
    }
    const auto create = SystemProc<CreateFn>(User32(), "ShutdownBlockReasonCreate");
    // Held even where the reason cannot be shown: the refusal itself does not depend on it.
    if (create) {
        create(window, reason);
    }
    window_ = window;
}

void TSessionBlock::Release() {
    if (window_ == nullptr) {
        return;
    }
    if (const auto destroy = SystemProc<DestroyFn>(User32(), "ShutdownBlockReasonDestroy")) {
        destroy(window_);
    }
    window_ = nullptr;
}

}  // namespace vq::ui
