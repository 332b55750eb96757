// The one end of an error nothing can return: the error box, then exit code 0.
#include "app/EscapedError.h"

#include <windows.h>

#include "base/Product.h"
#include "ui/Application.h"

namespace vq {

namespace {

constexpr const char* kErrorBoxTitle = kProductName;  // as on the taskbar

const ui::TApplication* gApplication = nullptr;

LONG WINAPI ShowUnhandled(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    const ULONG_PTR at = reinterpret_cast<ULONG_PTR>(record.ExceptionAddress);
    char message[64];
#if defined(_WIN64)
    wsprintfA(message, "Exception %08lX at address %08lX%08lX", record.ExceptionCode,
              ULONG(at >> 32), ULONG(at));
#else
    wsprintfA(message, "Exception %08lX at address %08lX", record.ExceptionCode, ULONG(at));
#endif
    EndWithError(message);
}

}  // namespace

void CatchUnhandledExceptions() { SetUnhandledExceptionFilter(&ShowUnhandled); }

void ShowErrorsOver(const ui::TApplication* application) { gApplication = application; }

void EndWithError(const char* message) {
    // The first error to get here is the one shown; another thread's waits for the end with it.
    static LONG ending = 0;
    const LONG me = LONG(GetCurrentThreadId());
    const LONG first = InterlockedCompareExchange(&ending, me, 0);
    if (first != 0 && first != me) Sleep(INFINITE);
    // The windows go first: nothing may be clicked or tick behind the box. Only their own thread
    // can destroy them.
    if (HWND owner = gApplication ? gApplication->Handle() : nullptr;
        first == 0 && owner && GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(owner);
    }
    ui::ShowException(kErrorBoxTitle, message);
    ExitProcess(0);
}

}  // namespace vq
