// The application object: owner window (its caption is the taskbar text), main form, event loop.
#pragma once

#include <windows.h>

#include "ui/Controls.h"

namespace vq::ui {

// The error box of an error nothing can return: a message box with its message. It shows even
// when the quit request of a window already destroyed is still queued.
void ShowException(const char* title, const char* message);

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // Registers the common controls and creates the owner window, which carries the taskbar
    // button: zero-sized, so that only its caption and the icon (the program's resource
    // `iconResource`) are ever seen.
    bool Initialize(int iconResource);
    void SetTitle(const char* title);
    HWND Handle() const { return hwnd_; }

    // Constructs the main form (owned by the application window), then runs its create event.
    template <class Form>
    void CreateForm(Form*& ref) {
        ref = new Form(hwnd_);
        SetMainForm(ref);
        ref->AfterConstruction();
    }

    // The form the application window stands for on the taskbar.
    void SetMainForm(TForm* form);

    // Shows the main form and runs the event loop until it is destroyed; then frees it.
    void Run();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    TForm* main_ = nullptr;
};

}  // namespace vq::ui
