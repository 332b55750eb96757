// The application object: owner window (its caption is the taskbar text), main form, event loop.
#include "ui/Application.h"

#include <commctrl.h>

namespace vq::ui {

namespace {
constexpr const char* kAppClass = "TApplication";
}

TApplication::~TApplication() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TApplication::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kAppClass;
    if (!RegisterClassExA(&wc)) return false;
    hwnd_ = CreateWindowExA(0, kAppClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);
    return hwnd_ != nullptr;
}

void TApplication::SetTitle(const char* title) { SetWindowTextA(hwnd_, title); }

void TApplication::Run() {
    if (!main_) return;
    ShowWindow(main_->Handle(), SW_SHOWNORMAL);
    UpdateWindow(main_->Handle());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DeliverMessage(msg);
    delete main_;
    main_ = nullptr;
}

}  // namespace vq::ui
