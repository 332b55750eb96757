/* A program whose import table names a DLL that is no KnownDLL: the release check must refuse it. */
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance, (void)previous, (void)commandLine, (void)show;
    InitCommonControls();
    return 0;
}
