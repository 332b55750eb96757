// Closing the real window around the flash: refused while the flash tool writes, allowed after,
// and a close decided just before the flash never lets the tool start behind it.
#include <windows.h>

#include <atomic>

#include "tests/win/ui/FormFixture.h"

namespace vq::test {
namespace {

using CloseQuery = FormTest;

constexpr DWORD kToolStartWaitMs = 300;

// Stand-in for worker 2: once worker 1 has "ended" (the event), it stores stFlashing and starts
// the "tool".
HANDLE gWorker1Ended = nullptr;
std::atomic<bool> gToolStarted = false;

DWORD WINAPI StandInFlashWorker(LPVOID) {
    WaitForSingleObject(gWorker1Ended, INFINITE);
    Form1->FStage.store(stFlashing);
    gToolStarted = true;
    return 0;
}

void StartStandInWorker2() {
    gWorker1Ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gToolStarted = false;
    FlashThreadHandle = CreateThread(nullptr, 0, StandInFlashWorker, nullptr, 0, nullptr);
}

// The destroy handler closed the slot's handle; the thread itself is left suspended or ended.
void ForgetWorker2() {
    FlashThreadHandle = nullptr;
    CloseHandle(gWorker1Ended);
}

TEST_F(CloseQuery, RefusedWhileTheFlashToolWritesAllowedOnceItEnded) {
    StartStandInWorker2();
    const HWND form = Form1->Handle();
    Form1->FStage.store(stFlashing);
    SendMessageA(form, WM_CLOSE, 0, 0);
    SendMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);      // close box, system menu
    SendMessageA(form, WM_SYSKEYDOWN, VK_F4, 1 << 29);  // Alt+F4
    Pump();
    EXPECT_TRUE(IsWindow(form));
    EXPECT_FALSE(Form1->Destroyed());

    Form1->FStage.store(stFlashDone);
    SendMessageA(form, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    Pump();
    EXPECT_FALSE(IsWindow(form));
    ForgetWorker2();
}

// Worker 1 ends, and worker 2 goes on to the tool, in the moment between the close's decision
// (taken before the flash) and the destroy handler that suspends the workers.
WNDPROC gFormProc = nullptr;

LRESULT CALLBACK LetWorker2RunBeforeDestroy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        SetEvent(gWorker1Ended);
        for (DWORD waited = 0; waited < kToolStartWaitMs && !gToolStarted; waited += 10) Sleep(10);
    }
    return CallWindowProcA(gFormProc, hwnd, msg, wParam, lParam);
}

TEST_F(CloseQuery, AllowedBeforeTheFlashAndTheToolThenNeverStarts) {
    StartStandInWorker2();
    const HWND form = Form1->Handle();
    Form1->FStage.store(stExtractDone);
    gFormProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LetWorker2RunBeforeDestroy)));
    SendMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_FALSE(gToolStarted) << "the flash tool started after the close was granted";
    ForgetWorker2();
}

}  // namespace
}  // namespace vq::test
