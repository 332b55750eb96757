// The top-level window: frame, scaling to the screen, focus, events, and the message pump.
#include <windows.h>

#include "base/WinHandle.h"
#include "ui/Controls.h"

namespace vq::ui {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;

// One line of `font`'s text on the screen, in pixels.
int LineHeightOf(HFONT font) {
    const WindowDC screen(nullptr);
    const SelectedObject selected(screen.Get(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(screen.Get(), &tm);
    return tm.tmHeight;
}

int ScreenDpi() {
    const WindowDC screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

}  // namespace

bool TForm::CreateForm(HWND owner, const char* className, const char* caption, int clientWidth,
                       int clientHeight, int fontHeight, TColor color, int iconResource) {
    color_ = color;
    const int dpi = ScreenDpi();
    if (!font_.Create(kFontFace, FontHeightAtDpi(fontHeight, dpi), false, false)) return false;
    // The window font keeps its density-adjusted height; the ratio scales the controls.
    scale_ = ScaleFor(LineHeightOf(font_.Handle()));

    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(inst, className, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TForm::WndProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        const LPCSTR icon = MAKEINTRESOURCEA(iconResource);
        wc.hIcon = static_cast<HICON>(LoadImageA(inst, icon, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                 GetSystemMetrics(SM_CYICON), 0));
        wc.hIconSm = static_cast<HICON>(LoadImageA(inst, icon, IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
        wc.lpszClassName = className;
        if (!RegisterClassExA(&wc)) return false;
    }
    RECT r{0, 0, scale_.Apply(clientWidth), scale_.Apply(clientHeight)};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    hwnd_ = CreateWindowExA(kFormExStyle, className, caption, kFormStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, nullptr, inst,
                            this);
    if (!hwnd_) return false;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    return true;
}

void TForm::CenterOnScreen() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::FocusActiveControl() {
    if (activeControl_ && IsWindowEnabled(activeControl_) && IsWindowVisible(activeControl_)) {
        SetFocus(activeControl_);
    } else {
        SetFocus(hwnd_);
    }
}

LRESULT CALLBACK TForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<TForm*>(cs->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return form ? form->Dispatch(msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT TForm::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (!destroyed_) DoTimer(wParam);
            return 0;
        case WM_COMMAND:
            if (!destroyed_) DoCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(hwnd_, &r);
            HBRUSH brush = CreateSolidBrush(ColorToRGB(color_));
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
            DeleteObject(brush);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND child = reinterpret_cast<HWND>(lParam);
            HBRUSH b = DoCtlColor(dc, child);
            if (!b) {
                if (TControl* c = TControl::FromHandle(child)) b = c->CtlColor(dc);
            }
            if (b) return reinterpret_cast<LRESULT>(b);
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (TControl* c = TControl::FromHandle(item->hwndItem)) c->DrawItem(*item);
            return TRUE;
        }
        case WM_ACTIVATE:
            // Like a dialog: the focus goes back to the active control, never to the frame.
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
                FocusActiveControl();
                return 0;
            }
            break;
        case WM_SETFOCUS:
            if (activeControl_ && IsWindowEnabled(activeControl_)) SetFocus(activeControl_);
            return 0;
        case DM_GETDEFID:
            // Enter presses the button that has the focus.
            if (HWND focus = GetFocus(); focus && GetParent(focus) == hwnd_ &&
                                         (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) {
                return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
            }
            return 0;
        case WM_SYSCOMMAND:
            // Minimising goes through the application window, which owns the taskbar button;
            // restoring it brings this window back.
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                if (HWND owner = GetWindow(hwnd_, GW_OWNER)) {
                    ShowWindow(owner, SW_MINIMIZE);
                    return 0;
                }
            }
            break;
        case WM_CLOSE:
            // A refused close asks nothing and leaves the window as it is; a beep says it was heard.
            if (!destroyed_ && !DoCloseQuery()) {
                MessageBeep(MB_ICONEXCLAMATION);
                return 0;
            }
            break;
        case WM_QUERYENDSESSION:
            return destroyed_ || DoQueryEndSession() ? TRUE : FALSE;
        case WM_DESTROY:
            destroyed_ = true;
            DoDestroy();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void DeliverMessage(MSG& msg) {
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top && IsDialogMessageA(top, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        DeliverMessage(msg);
    }
}

}  // namespace vq::ui
