// The application object's event loop around a main form.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include "base/Product.h"
#include "ui/Application.h"

namespace {

bool gWatchdogFired = false;

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    gWatchdogFired = true;
    PostQuitMessage(0);
}

TEST(Application, RunReturnsAtOnceWhenTheFormHasNoWindow) {
    // A form whose window could not be created: nothing would ever end the loop.
    vq::ui::TApplication app;
    app.SetMainForm(new vq::ui::TForm);
    gWatchdogFired = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1000, &Watchdog);
    ASSERT_NE(timer, 0u);
    app.Run();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(gWatchdogFired) << "the loop ran with no window to close";
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace

namespace {

// Finds the message box of this process and answers it; records its text.
struct BoxWatch {
    DWORD pid = GetCurrentProcessId();
    bool seen = false;
    char text[128] = {};
    HANDLE returned = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set once the box's call came back
};

BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM lp) {
    auto* w = reinterpret_cast<BoxWatch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char cls[16] = {}, caption[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (owner != w->pid || lstrcmpA(cls, "#32770") != 0 || lstrcmpA(caption, vq::kProductName) != 0) return TRUE;
    GetDlgItemTextA(hwnd, 0xFFFF, w->text, sizeof w->text);
    w->seen = true;
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

// Answers again and again until the box's call has returned: on a busy machine the box can take
// seconds to show, and an answer posted while it is still being made can be lost. A box that never
// shows or never closes ends this test program here, with a message, within its own bound rather
// than the runner's time-out.
constexpr DWORD kBoxBoundMs = 30000;
constexpr DWORD kBoxStepMs = 50;

DWORD WINAPI WatchForBox(LPVOID param) {
    auto* w = static_cast<BoxWatch*>(param);
    for (DWORD waited = 0; WaitForSingleObject(w->returned, kBoxStepMs) == WAIT_TIMEOUT; waited += kBoxStepMs) {
        if (waited >= kBoxBoundMs) {
            fprintf(stderr, "the error box %s within %lu ms; ending the test program\n",
                    w->seen ? "did not close when answered" : "did not show", kBoxBoundMs);
            fflush(stderr);
            ExitProcess(3);
        }
        EnumWindows(&AnswerBox, reinterpret_cast<LPARAM>(w));
    }
    return 0;
}

TEST(Application, AnEscapedExceptionIsShownEvenAfterTheWindowAsksToQuit) {
    // By the time the entry's handler runs, the destroyed main window has queued its quit request.
    PostQuitMessage(0);
    BoxWatch watch;
    HANDLE watcher = CreateThread(nullptr, 0, &WatchForBox, &watch, 0, nullptr);
    ASSERT_NE(watcher, nullptr);
    vq::ui::ShowException(vq::kProductName, "Out of memory");
    SetEvent(watch.returned);
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    CloseHandle(watch.returned);
    EXPECT_TRUE(watch.seen) << "the box closed before anybody could read it";
    EXPECT_STREQ(watch.text, "Out of memory");
}

}  // namespace
