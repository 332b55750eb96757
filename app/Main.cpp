// Program entry: DLL search hardening, application title, the main form and the event loop.
#include <windows.h>

#include <exception>

#include "app/Vorquint_form.h"
#include "ui/Application.h"

namespace {

constexpr const char* kApplicationTitle = "Zintara";
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// A program that flashes firmware with administrator rights must never load a DLL planted beside
// it (a downloads folder): libraries come from the system directory only. Looked up at run time
// because older systems lack the call.
void RestrictDllSearch() {
    using Fn = BOOL(WINAPI*)(DWORD);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "SetDefaultDllDirectories")));
    if (fn) fn(kLoadLibrarySearchSystem32);
}

void ShowException(const char* message) {
    MessageBoxA(nullptr, message, kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    try {
        vq::ui::TApplication application;
        application.Initialize();
        application.SetTitle(kApplicationTitle);
        application.CreateForm(Form1);
        application.Run();
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("");
    }
    return 0;
}
