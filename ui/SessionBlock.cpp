// The reason Windows shows when it is asked to end the session while the window holds it back.
#include "ui/SessionBlock.h"

#include "base/SystemCalls.h"

namespace vq::ui {

namespace {
constexpr int kMaxReasonChars = 256;  // a stage message and its terminator
}  // namespace

void TSessionBlock::Hold(HWND window, const char* reason) {
    if (window_ != nullptr) {
        return;
    }
    // Looked up at run time: systems before Vista lack the calls, and the program runs there.
    const auto create = LookUpShutdownBlockReasonCreate();
    // Held even where the reason cannot be shown: the refusal itself does not depend on it.
    if (create) {
        // The system takes the reason only as UTF-16.
        wchar_t wide[kMaxReasonChars] = {};
        if (MultiByteToWideChar(CP_ACP, 0, reason, -1, wide, kMaxReasonChars) > 0) create(window, wide);
    }
    window_ = window;
}

void TSessionBlock::Release() {
    if (window_ == nullptr) {
        return;
    }
    if (const auto destroy = LookUpShutdownBlockReasonDestroy()) {
        destroy(window_);
    }
    window_ = nullptr;
}

}  // namespace vq::ui
