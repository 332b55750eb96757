// The small control layer over Win32: the form, labels, bevel, progress bar, button and timer.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <stdint.h>

#include <string>

#include "ui/Colors.h"
#include "ui/Scaling.h"

namespace vq::ui {

inline constexpr const char* kFontFace = "Calibri";

// Every component can be an event's sender.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// A GDI font the control owns, and the colour its text is drawn in.
class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    ~TFont();
    bool Create(const char* face, int height, bool bold, bool underline);
    HFONT Handle() const { return font_; }
    TColor Color = clWindowText;

private:
    HFONT font_ = nullptr;
};

// 0x00BBGGRR for a colour value, asking the system for system colours.
COLORREF ColorToRGB(TColor color);

// A child window of the form; the window is destroyed together with its parent, and the object
// outlives it (it belongs to the form object).
class TControl : public TObject {
public:
    HWND Handle() const { return hwnd_; }
    int Left() const;
    int Top() const;
    // The control whose window this is, or null.
    static TControl* FromHandle(HWND hwnd);
    // WM_CTLCOLOR*: set up `dc` and return the background brush, or null for the default.
    virtual HBRUSH CtlColor(HDC /*dc*/) { return nullptr; }
    // WM_DRAWITEM for owner-drawn controls.
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}

protected:
    bool CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int id, int left,
                     int top, int width, int height);
    HWND hwnd_ = nullptr;
};

// Left-aligned, opaque text that sizes itself to its text: a line feed starts a new line, the
// width follows the longest line, nothing wraps. Left and top stay put.
class TLabel : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, const char* text, int fontHeight,
                bool bold, bool underline, TColor color);
    // Unchanged text or colour leaves the screen alone: no invalidation, no repaint.
    void SetCaption(const char* text);
    void SetFontColor(TColor color);
    const std::string& Caption() const { return caption_; }
    TColor FontColor() const { return font_.Color; }
    HBRUSH CtlColor(HDC dc) override;

private:
    void AutoSize();
    TFont font_;
    std::string caption_;
};

// A lowered box: top and left edges in the 3-D shadow colour, bottom and right in the 3-D
// highlight. Two pixels high it is an etched line.
class TBevel : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, int width, int height);
};

// A horizontal bar, 0..100. It never takes the keyboard focus.
class TProgressBar : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, int width, int height);
    int Position() const;
    void SetPosition(int position);  // always passed on to the bar, changed or not
};

// A push button with a picture left of its caption, the pair centred; the picture's bottom-left
// pixel colour is transparent. Drawn by us so that the caption can take a font colour.
class TBitBtn : public TControl {
public:
    TBitBtn() = default;
    ~TBitBtn() override;
    bool Create(HWND parent, int id, int left, int top, int width, int height, const char* caption,
                int fontHeight, int glyphResource);
    void SetFontColor(TColor color);
    TColor FontColor() const { return font_.Color; }
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    bool LoadGlyph(int resource);
    void DrawFace(HDC dc, const RECT& rect, UINT state);
    TFont font_;
    std::string caption_;
    HBITMAP glyph_ = nullptr;          // as drawn while enabled
    HBITMAP glyphDisabled_ = nullptr;  // greyed
    COLORREF transparent_ = 0;
    int glyphWidth_ = 0, glyphHeight_ = 0;
};

// A periodic timer of the form window, running until the window is destroyed.
class TTimer : public TObject {
public:
    bool Start(HWND owner, UINT_PTR id, UINT intervalMs);
    UINT Interval() const { return interval_; }

private:
    UINT interval_ = 0;
};

// A file-open dialog component with default settings. Nothing opens it.
class TOpenDialog : public TObject {
public:
    TOpenDialog() : Data{} { Data.lStructSize = sizeof(Data); }
    OPENFILENAMEA Data;
};

// The top-level window. Subclasses create their controls and receive the events.
class TForm : public TObject {
public:
    HWND Handle() const { return hwnd_; }
    // True once the window is gone: nothing may touch a control after that.
    bool Destroyed() const { return destroyed_; }
    const ScaleRatio& Scale() const { return scale_; }
    // Runs the create event once the whole object is constructed.
    void AfterConstruction() { DoCreate(); }

protected:
    // Creates the window of class `className` (registered on first use, with the program's icon
    // resource `iconResource`): single fixed border, system menu, close and minimise boxes, the
    // given client size and window font, scaled to the screen as need be.
    bool CreateForm(HWND owner, const char* className, const char* caption, int clientWidth,
                    int clientHeight, int fontHeight, TColor color, int iconResource);
    void CenterOnScreen();
    // The control that gets the keyboard focus whenever the window is activated.
    void SetActiveControl(HWND control) { activeControl_ = control; }

    virtual void DoCreate() {}
    virtual void DoDestroy() {}
    virtual void DoTimer(UINT_PTR) {}
    virtual void DoCommand(int, int) {}
    virtual HBRUSH DoCtlColor(HDC, HWND) { return nullptr; }
    // WM_QUERYENDSESSION: false refuses a logoff or shutdown that asks first.
    virtual bool DoQueryEndSession() { return true; }
    // WM_CLOSE (the close box, Alt+F4, the system menu's Close): false refuses the close.
    virtual bool DoCloseQuery() { return true; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void FocusActiveControl();
    HWND hwnd_ = nullptr;
    HWND activeControl_ = nullptr;
    bool destroyed_ = false;
    TColor color_ = clBtnFace;
    ScaleRatio scale_;
    TFont font_;
};

// Passes one message on to its window, with dialog keyboard handling (Tab, Alt+mnemonic).
void DeliverMessage(MSG& msg);

// Handles every message waiting in the GUI thread's queue, then returns without waiting. A quit
// request is put back for the main loop.
void ProcessMessages();

}  // namespace vq::ui
