// The small control layer over Win32: the form, labels, bevel, progress bar, button and timer.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

namespace vq::ui {

// Every component can be an event's sender.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// A GDI font the control owns.
class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    ~TFont();
    bool Create(const char* face, int height, bool bold, bool underline);
    HFONT Handle() const { return font_; }
    uint32_t Color = 0;  // colour value (system colour or 0x00BBGGRR)

private:
    HFONT font_ = nullptr;
};

// A child window of the form; the window is destroyed together with its parent.
class TControl : public TObject {
public:
    HWND Handle() const { return hwnd_; }
    int Left() const;
    int Top() const;

protected:
    bool CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int id, int left,
                     int top, int width, int height);
    HWND hwnd_ = nullptr;
};

// Left-aligned, opaque text that sizes itself to its text; a line feed starts a new line.
class TLabel : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, const char* text, int fontHeight,
                bool bold, bool underline, uint32_t color);
    // Unchanged text or colour leaves the screen alone: no invalidation, no repaint.
    void SetCaption(const char* text);
    void SetFontColor(uint32_t color);
    const std::string& Caption() const { return caption_; }
    uint32_t FontColor() const { return font_.Color; }

private:
    void AutoSize();
    TFont font_;
    std::string caption_;
};

// An etched horizontal line.
class TBevel : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, int width, int height);
};

class TProgressBar : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, int width, int height);
    int Position() const;
    void SetPosition(int position);  // always passed on to the bar
};

class TBitBtn : public TControl {
public:
    bool Create(HWND parent, int id, int left, int top, int width, int height, const char* caption);
    void SetFontColor(uint32_t color);

private:
    TFont font_;
};

// A periodic timer of the form window.
class TTimer : public TObject {
public:
    bool Start(HWND owner, UINT_PTR id, UINT intervalMs);
};

// A never-shown file-open dialog component.
class TOpenDialog : public TObject {};

// Maps a colour value to a COLORREF: 0x80000000 + n is system colour n.
COLORREF ColorToRGB(uint32_t color);

// The top-level window. Subclasses create their controls and receive the events.
class TForm : public TObject {
public:
    HWND Handle() const { return hwnd_; }
    bool Destroyed() const { return destroyed_; }

protected:
    // Creates the window: fixed single border, system menu and minimise box, the given client size.
    bool CreateForm(HWND owner, const char* caption, int clientWidth, int clientHeight);
    void CenterOnScreen();
public:
    // Runs the create event once the whole object is constructed.
    void AfterConstruction() { DoCreate(); }

protected:
    virtual void DoCreate() {}
    virtual void DoDestroy() {}
    virtual void DoTimer(UINT_PTR) {}
    virtual void DoCommand(int, int) {}
    virtual HBRUSH DoCtlColor(HDC, HWND) { return nullptr; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool destroyed_ = false;
};

// Passes one message on to its window, with dialog keyboard handling (Tab, Alt+mnemonic).
void DeliverMessage(MSG& msg);

// Handles every message waiting in the GUI thread's queue, then returns. A quit request is
// put back for the main loop.
void ProcessMessages();

}  // namespace vq::ui
