// The application object's event loop around a main form.
#include <gtest/gtest.h>

#include <windows.h>

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
