// The control layer's simple controls: fonts, labels, the bevel, the progress bar, the timer.
#include "ui/Controls.h"

#include <commctrl.h>

#include "base/WinHandle.h"

namespace vq::ui {

namespace {

constexpr const char* kBevelClass = "TBevel";

uint32_t SystemColor(int index) { return GetSysColor(index); }

HBRUSH BrushOf(TColor color) {
    // System colour brushes are the system's own and never need deleting.
    if (color & kSystemColorFlag) return GetSysColorBrush(int(color & ~kSystemColorFlag));
    return nullptr;
}

}  // namespace

COLORREF ColorToRGB(TColor color) { return ColorToRgb(color, &SystemColor); }

TFont::~TFont() {
    if (font_) DeleteObject(font_);
}

bool TFont::Create(const char* face, int height, bool bold, bool underline) {
    if (font_) DeleteObject(font_);
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

TControl* TControl::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<TControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
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
                    bool bold, bool underline, TColor color) {
    if (!font_.Create(kFontFace, fontHeight, bold, underline)) return false;
    font_.Color = color;
    caption_ = text;
    // No word wrap: only a line feed breaks a line. No prefix: "&" is shown as it is.
    if (!CreateChild(parent, "STATIC", text, SS_LEFTNOWORDWRAP | SS_NOPREFIX, id, left, top, 0, 0)) {
        return false;
    }
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

void TLabel::SetFontColor(TColor color) {
    if (font_.Color == color) return;
    font_.Color = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH TLabel::CtlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(font_.Color));
    SetBkColor(dc, ColorToRGB(clBtnFace));
    return BrushOf(clBtnFace);
}

void TLabel::AutoSize() {
    RECT r{0, 0, 0, 0};
    {
        const WindowDC dc(hwnd_);
        const SelectedObject font(dc.Get(), font_.Handle());
        // An empty label keeps the height of one line (and the width of a space).
        DrawTextA(dc.Get(), caption_.empty() ? " " : caption_.c_str(), -1, &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_LEFT | DT_EXPANDTABS);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void PaintBevel(HWND hwnd, HDC dc) {
    RECT r{};
    GetClientRect(hwnd, &r);
    const int w = r.right, h = r.bottom;
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    // The inside, which a box of more than two rows has (the separator at higher densities), in
    // the window's background; then the top row and left column in shadow, and the bottom row
    // and right column in highlight over them.
    FillRect(dc, &r, BrushOf(clBtnFace));
    RECT top{0, 0, w - 1, 1}, left{0, 0, 1, h - 1}, bottom{0, h - 1, w, h}, right{w - 1, 0, w, h};
    FillRect(dc, &top, shadow);
    FillRect(dc, &left, shadow);
    FillRect(dc, &bottom, light);
    FillRect(dc, &right, light);
}

static LRESULT CALLBACK BevelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            PaintBevel(hwnd, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            // Drawn into another device as on the screen, as the standard controls are (a
            // capture of the window with PrintWindow).
            PaintBevel(hwnd, reinterpret_cast<HDC>(wParam));
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

bool TBevel::Create(HWND parent, int id, int left, int top, int width, int height) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(inst, kBevelClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &BevelProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kBevelClass;
        if (!RegisterClassExA(&wc)) return false;
    }
    return CreateChild(parent, kBevelClass, "", 0, id, left, top, width, height);
}

bool TProgressBar::Create(HWND parent, int id, int left, int top, int width, int height) {
    if (!CreateChild(parent, PROGRESS_CLASSA, "", 0, id, left, top, width, height)) return false;
    SendMessageA(hwnd_, PBM_SETRANGE32, 0, 100);
    SendMessageA(hwnd_, PBM_SETPOS, 0, 0);
    return true;
}

int TProgressBar::Position() const { return int(SendMessageA(hwnd_, PBM_GETPOS, 0, 0)); }

void TProgressBar::SetPosition(int position) { SendMessageA(hwnd_, PBM_SETPOS, WPARAM(position), 0); }

bool TTimer::Start(HWND owner, UINT_PTR id, UINT intervalMs) {
    interval_ = intervalMs;
    return SetTimer(owner, id, intervalMs, nullptr) != 0;
}

}  // namespace vq::ui
