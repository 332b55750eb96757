// Program entry: DLL search hardening, application title, the main form and the event loop.
#include <windows.h>

#include <exception>

#include "base/SystemCalls.h"
#include "app/Vorquint_form.h"
#include "ui/Application.h"

namespace {

constexpr const char* kApplicationTitle = "Zintara";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vq::RestrictDllSearchToSystem();
    try {
        vq::ui::TApplication application;
        application.Initialize();
        application.SetTitle(kApplicationTitle);
        application.CreateForm(Form1);
        application.Run();
    } catch (const std::exception& e) {
        vq::ui::ShowException(kApplicationTitle, e.what());
    } catch (...) {
        vq::ui::ShowException(kApplicationTitle, "");
    }
    return 0;
}
