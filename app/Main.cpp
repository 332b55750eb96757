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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vq::RestrictDllSearchToSystem();
    vq::CatchUnhandledExceptions();
    // A second upgrade beside a running one would empty its work directory and write the flash
    // at the same time.
    if (!vq::ClaimOnlyInstance()) {
        vq::BringRunningInstanceForward();
        return 0;
    }
    vq::ui::TApplication application;
    vq::ShowErrorsOver(&application);
    application.Initialize(vq::kIdiMain);
    application.SetTitle(kApplicationTitle);
    application.CreateForm(Form1);
    application.Run();
    vq::ShowErrorsOver(nullptr);
    return 0;
}
