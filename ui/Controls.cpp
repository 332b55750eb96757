// The small control layer over Win32: the form, labels, bevel, progress bar, button and timer.
#include "ui/Controls.h"

#include <commctrl.h>

namespace vq::ui {

namespace {
constexpr const char* kFontFace = "Calibri";
constexpr const char* kFormClass = "TForm1";
constexpr uint32_t kSystemColorFlag = 0x80000000u;
constexpr uint32_t kClBtnFace = 0x8000000Fu;
}  // namespace

COLORREF ColorToRGB(uint32_t color) {
    if (color & kSystemColorFlag) return GetSysColor(int(color & 0xFF));
    return COLORREF(color & 0x00FFFFFFu);
}

TFont::~TFont() {
    if (font_) DeleteObject(font_);
}

bool TFont::Create(const char* face, int height, bool bold, bool underline) {
    font_ = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH, face);
    return font_ != nullptr;
}

bool TControl::CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int id,
                           int left, int top, int width, int height) {
    hwnd_ = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    if (hwnd_) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return hwnd_ != nullptr;
}

static POINT ClientPos(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    POINT p{r.left, r.top};
    ScreenToClient(GetParent(hwnd), &p);
    return p;
}

int TControl::Left() const { return ClientPos(hwnd_).x; }
int TControl::Top() const { return ClientPos(hwnd_).y; }

bool TLabel::Create(HWND parent, int id, int left, int top, const char* text, int fontHeight,
                    bool bold, bool underline, uint32_t color) {
    if (!font_.Create(kFontFace, fontHeight, bold, underline)) return false;
    font_.Color = color;
    caption_ = text;
    if (!CreateChild(parent, "STATIC", text, SS_LEFT | SS_NOPREFIX, id, left, top, 0, 0)) return false;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    AutoSize();
    return true;
}

void TLabel::SetCaption(const char* text) {
    if (caption_ == text) return;
    caption_ = text;
    SetWindowTextA(hwnd_, text);
    AutoSize();
}

void TLabel::SetFontColor(uint32_t color) {
    if (font_.Color == color) return;
    font_.Color = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::AutoSize() {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_.Handle());
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, caption_.empty() ? " " : caption_.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
    if (caption_.empty()) r.right = 0;
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TBevel::Create(HWND parent, int id, int left, int top, int width, int height) {
    return CreateChild(parent, "STATIC", "", SS_ETCHEDHORZ, id, left, top, width, height);
}

bool TProgressBar::Create(HWND parent, int id, int left, int top, int width, int height) {
    if (!CreateChild(parent, PROGRESS_CLASSA, "", 0, id, left, top, width, height)) return false;
    SendMessageA(hwnd_, PBM_SETRANGE32, 0, 100);
    SendMessageA(hwnd_, PBM_SETPOS, 0, 0);
    return true;
}

int TProgressBar::Position() const { return int(SendMessageA(hwnd_, PBM_GETPOS, 0, 0)); }

void TProgressBar::SetPosition(int position) { SendMessageA(hwnd_, PBM_SETPOS, WPARAM(position), 0); }

bool TBitBtn::Create(HWND parent, int id, int left, int top, int width, int height, const char* caption) {
    if (!font_.Create(kFontFace, -13, false, false)) return false;
    if (!CreateChild(parent, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, id, left, top, width, height))
        return false;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    return true;
}

void TBitBtn::SetFontColor(uint32_t color) {
    if (font_.Color == color) return;
    font_.Color = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TTimer::Start(HWND owner, UINT_PTR id, UINT intervalMs) {
    return SetTimer(owner, id, intervalMs, nullptr) != 0;
}

bool TForm::CreateForm(HWND owner, const char* caption, int clientWidth, int clientHeight) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(inst, kFormClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TForm::WndProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = GetSysColorBrush(int(kClBtnFace & 0xFF));
        wc.lpszClassName = kFormClass;
        if (!RegisterClassExA(&wc)) return false;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kFormClass, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, owner, nullptr, inst, this);
    return hwnd_ != nullptr;
}

void TForm::CenterOnScreen() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (HBRUSH b = DoCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(b);
            }
            break;
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
