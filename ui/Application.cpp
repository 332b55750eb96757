// The application object: owner window (its caption is the taskbar text), main form, event loop.
#include "ui/Application.h"

#include "base/SystemCalls.h"

namespace vq::ui {

namespace {
constexpr const char* kAppClass = "TApplication";
constexpr DWORD kAppStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;

// The main form, for the owner window's handler.
HWND gMainForm = nullptr;
}  // namespace

TApplication::~TApplication() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ACTIVATE:
            // A click on the taskbar button activates this window: hand over to the form.
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && gMainForm &&
                IsWindowVisible(gMainForm) && IsWindowEnabled(gMainForm)) {
                SetActiveWindow(gMainForm);
                return 0;
            }
            break;
        case WM_SIZE:
            // The form goes and comes back with the taskbar window. Windows hides owned windows
            // of a minimised owner by itself; not every system does, so it is done here too.
            if (gMainForm && wParam == SIZE_MINIMIZED) {
                ShowWindow(gMainForm, SW_HIDE);
            } else if (gMainForm && wParam == SIZE_RESTORED && !IsWindowVisible(gMainForm)) {
                ShowWindow(gMainForm, SW_SHOW);
                SetActiveWindow(gMainForm);
            }
            break;
        case WM_CLOSE:
            // "Close window" on the taskbar button closes the form, which ends the program.
            if (gMainForm) {
                PostMessageA(gMainForm, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool TApplication::Initialize(int iconResource) {
    // Loaded here, after the entry has locked the DLL search, not through the import table.
    if (const InitCommonControlsExFn init = LookUpInitCommonControlsEx()) {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        init(&icc);
    }
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TApplication::WndProc;
    wc.hInstance = inst;
    const LPCSTR icon = MAKEINTRESOURCEA(iconResource);
    wc.hIcon = static_cast<HICON>(LoadImageA(inst, icon, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(LoadImageA(inst, icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.lpszClassName = kAppClass;
    if (!RegisterClassExA(&wc)) return false;
    hwnd_ = CreateWindowExA(0, kAppClass, "", kAppStyle, GetSystemMetrics(SM_CXSCREEN) / 2,
                            GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, inst, nullptr);
    return hwnd_ != nullptr;
}

void TApplication::SetTitle(const char* title) { SetWindowTextA(hwnd_, title); }

void TApplication::SetMainForm(TForm* form) {
    main_ = form;
    gMainForm = form ? form->Handle() : nullptr;
}

void TApplication::Run() {
    if (!main_) return;
    // A form whose window could not be made would leave an invisible program waiting for a close
    // that can never come.
    if (main_->Handle()) {
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        ShowWindow(main_->Handle(), SW_SHOWNORMAL);
        UpdateWindow(main_->Handle());
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DeliverMessage(msg);
    }
    gMainForm = nullptr;
    delete main_;
    main_ = nullptr;
}

void ShowException(const char* title, const char* message) {
    // A pending quit request would close the box the moment it opens; the program ends after
    // the box anyway.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    MessageBoxA(nullptr, message, title, MB_OK | MB_ICONERROR);
}

}  // namespace vq::ui
