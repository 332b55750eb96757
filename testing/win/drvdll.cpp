// Test double of the flash tool's driver libraries: one source, built under each library's name.
#include <windows.h>

#ifndef VQ_DRIVER_NAME
#error "build with VQ_DRIVER_NAME set to the library's file name"
#endif

// The flash tool double asks each library its name, so a library unpacked under the wrong name shows.
extern "C" __declspec(dllexport) const char* __cdecl VqDriverName() {
    return VQ_DRIVER_NAME;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
