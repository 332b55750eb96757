// The picture button: glyph from the resources, face, glyph and caption drawn by us.
#include <windows.h>
#include <vsstyle.h>

#include "base/SystemCalls.h"
#include "base/WinHandle.h"
#include "ui/ButtonLayout.h"
#include "ui/Controls.h"

namespace vq::ui {

namespace {

constexpr int kFocusInset = 4;

// A top-down 32-bit DIB section holding `pixels` (B, G, R, A rows as stored in the resource).
HBITMAP MakeDib(int width, int height, const uint8_t* pixels, bool bottomUp, bool greyed) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return nullptr;
    auto* out = static_cast<uint8_t*>(bits);
    const uint8_t* key = pixels;  // the bottom-left pixel of a bottom-up picture
    if (!bottomUp) key = pixels + size_t(height - 1) * width * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = pixels + size_t(bottomUp ? height - 1 - y : y) * width * 4;
        uint8_t* dst = out + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            const bool transparent = src[0] == key[0] && src[1] == key[1] && src[2] == key[2];
            if (greyed && !transparent) {
                // Light grey by brightness; stays below white, so it never turns transparent.
                const int lum = (src[2] * 30 + src[1] * 59 + src[0] * 11) / 100;
                const uint8_t g = uint8_t(110 + lum * 100 / 255);
                dst[0] = dst[1] = dst[2] = g;
            } else {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            dst[3] = 0;  // plain RGB: an alpha byte would keep the white from matching the key
        }
    }
    return bmp;
}

}  // namespace

TBitBtn::~TBitBtn() {
    if (glyph_) DeleteObject(glyph_);
    if (glyphDisabled_) DeleteObject(glyphDisabled_);
}

bool TBitBtn::Create(HWND parent, int id, int left, int top, int width, int height,
                     const char* caption, int fontHeight, int glyphResource) {
    if (!font_.Create(kFontFace, fontHeight, false, false)) return false;
    caption_ = caption;
    // Owner-drawn: the caption keeps its "&" so that Alt+U presses the button.
    if (!CreateChild(parent, "BUTTON", caption, WS_TABSTOP | BS_OWNERDRAW, id, left, top, width,
                     height)) {
        return false;
    }
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    // A missing picture leaves a caption-only button rather than no button.
    LoadGlyph(glyphResource);
    return true;
}

bool TBitBtn::LoadGlyph(int resource) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(inst, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (!res) return false;
    HGLOBAL data = LoadResource(inst, res);
    const DWORD size = SizeofResource(inst, res);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(data));
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->biBitCount != 32 ||
        info->biCompression != BI_RGB || info->biWidth <= 0 || info->biHeight == 0) {
        return false;
    }
    const int w = info->biWidth;
    const int h = info->biHeight > 0 ? info->biHeight : -info->biHeight;
    if (size < info->biSize + DWORD(w) * h * 4) return false;
    const auto* pixels = reinterpret_cast<const uint8_t*>(info) + info->biSize;
    const bool bottomUp = info->biHeight > 0;
    const uint8_t* key = bottomUp ? pixels : pixels + size_t(h - 1) * w * 4;
    transparent_ = RGB(key[2], key[1], key[0]);
    glyph_ = MakeDib(w, h, pixels, bottomUp, false);
    glyphDisabled_ = MakeDib(w, h, pixels, bottomUp, true);
    glyphWidth_ = w;
    glyphHeight_ = h;
    return glyph_ && glyphDisabled_;
}

void TBitBtn::SetFontColor(TColor color) {
    if (font_.Color == color) return;
    font_.Color = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TBitBtn::DrawFace(HDC dc, const RECT& rect, UINT state) {
    const bool pressed = state & ODS_SELECTED, disabled = state & ODS_DISABLED;
    RECT r = rect;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const ThemeCalls& themeCalls = LookUpThemeCalls();
    if (HTHEME theme = themeCalls.Usable() ? themeCalls.Open(hwnd_, L"BUTTON") : nullptr) {
        const int part = disabled ? PBS_DISABLED
                         : pressed ? PBS_PRESSED
                         : (state & ODS_FOCUS) ? PBS_DEFAULTED
                                               : PBS_NORMAL;
        themeCalls.Draw(theme, dc, BP_PUSHBUTTON, part, &r, nullptr);
        themeCalls.Close(theme);
        return;
    }
    DrawFrameControl(dc, &r, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& rect = item.rcItem;
    DrawFace(dc, rect, item.itemState);

    const SelectedObject font(dc, font_.Handle());
    RECT text{0, 0, 0, 0};
    DrawTextA(dc, caption_.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int glyphW = glyph_ ? glyphWidth_ : 0, glyphH = glyph_ ? glyphHeight_ : 0;
    const ButtonLayout l = LayOutGlyphAndText(w, h, glyphW, glyphH, text.right, text.bottom,
                                              glyph_ ? kGlyphSpacing : 0);
    // A pressed button's contents move one pixel down and right.
    const int shift = (item.itemState & ODS_SELECTED) ? 1 : 0;
    const bool disabled = item.itemState & ODS_DISABLED;

    if (HBITMAP glyph = disabled ? glyphDisabled_ : glyph_) {
        const MemoryDC mem(dc);
        const SelectedObject picture(mem.Get(), glyph);
        // gdi32's own: msimg32, which only passes it on, is no KnownDLL either.
        GdiTransparentBlt(dc, rect.left + l.GlyphLeft + shift, rect.top + l.GlyphTop + shift,
                          glyphW, glyphH, mem.Get(), 0, 0, glyphW, glyphH, transparent_);
    }

    RECT at{rect.left + l.TextLeft + shift, rect.top + l.TextTop + shift, 0, 0};
    at.right = at.left + text.right;
    at.bottom = at.top + text.bottom;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(font_.Color));
    // The mnemonic is always underlined, whatever the keyboard-cue setting.
    DrawTextA(dc, caption_.c_str(), -1, &at, DT_SINGLELINE | DT_LEFT | DT_TOP);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = rect;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace vq::ui
