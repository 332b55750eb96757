// Program entry: DLL search hardening, application title, the main form and the event loop.
#include <windows.h>

#include "app/EscapedError.h"
#include "app/SingleInstance.h"
#include "app/Vorquint_form.h"
#include "base/Product.h"
#include "base/SystemLibraries.h"
#include "res/ResourceIds.h"
#include "ui/Application.h"

namespace {

constexpr const char* kApplicationTitle = vq::kProductName;  // the taskbar text

vq::ui::TApplication* gApplication = nullptr;

// A fault, or any other structured exception nothing handles, in whichever thread: shown in the
// error box with its code and address, and the program ends.
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
    vq::EndWithError(message);
}

}  // namespace

namespace vq {

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
    ui::ShowException(kApplicationTitle, message);
    ExitProcess(0);
}

}  // namespace vq

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vq::RestrictDllSearchToSystem();
    SetUnhandledExceptionFilter(&ShowUnhandled);
    // A second upgrade beside a running one would empty its work directory and write the flash
    // at the same time.
    if (!vq::ClaimOnlyInstance()) {
        vq::BringRunningInstanceForward();
        return 0;
    }
    vq::ui::TApplication application;
    gApplication = &application;
    application.Initialize(vq::kIdiMain);
    application.SetTitle(kApplicationTitle);
    application.CreateForm(Form1);
    application.Run();
    gApplication = nullptr;
    return 0;
}
