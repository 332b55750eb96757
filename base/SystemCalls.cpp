// The calls the program takes at run time, each looked up by name in one place.
#include "base/SystemCalls.h"

namespace vq {

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr const char* kCommonControlsLibrary = "comctl32.dll";
constexpr const char* kThemeLibrary = "uxtheme.dll";

// kernel32 is mapped into every process before its first instruction: no load, no search.
template <class Fn>
Fn LookUpKernel32(const char* name) {
    return LookUp<Fn>(GetModuleHandleA("kernel32"), name);
}

ThemeCalls gThemeCalls;
bool gThemeLookedUp = false;

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
    return LoadLibraryExA(name, nullptr, kLoadLibrarySearchSystem32);
}

// user32 is imported, so it is mapped already.
ShutdownBlockReasonCreateFn LookUpShutdownBlockReasonCreate() {
    return LookUp<ShutdownBlockReasonCreateFn>(GetModuleHandleA("user32"), "ShutdownBlockReasonCreate");
}

ShutdownBlockReasonDestroyFn LookUpShutdownBlockReasonDestroy() {
    return LookUp<ShutdownBlockReasonDestroyFn>(GetModuleHandleA("user32"), "ShutdownBlockReasonDestroy");
}

IsWow64ProcessFn LookUpIsWow64Process() {
    return LookUpKernel32<IsWow64ProcessFn>("IsWow64Process");
}

// The library stays loaded for the life of the process: the controls it registers live as long.
InitCommonControlsExFn LookUpInitCommonControlsEx() {
    return LookUp<InitCommonControlsExFn>(LoadSystemLibrary(kCommonControlsLibrary),
                                          "InitCommonControlsEx");
}

// Painting happens on the window's thread only, so a plain flag guards the one lookup: a guarded
// static would bring the C++ runtime's locking and exception machinery into the program.
const ThemeCalls& LookUpThemeCalls() {
    if (!gThemeLookedUp) {
        const HMODULE lib = LoadSystemLibrary(kThemeLibrary);
        gThemeCalls.Open = LookUp<decltype(&OpenThemeData)>(lib, "OpenThemeData");
        gThemeCalls.Draw = LookUp<decltype(&DrawThemeBackground)>(lib, "DrawThemeBackground");
        gThemeCalls.Close = LookUp<decltype(&CloseThemeData)>(lib, "CloseThemeData");
        gThemeLookedUp = true;
    }
    return gThemeCalls;
}

// A program that flashes firmware with administrator rights must never load a DLL planted beside
// it (a downloads folder). Looked up at run time because older systems lack the call.
bool RestrictDllSearchToSystem() {
    using Fn = BOOL(WINAPI*)(DWORD);
    const auto fn = LookUpKernel32<Fn>("SetDefaultDllDirectories");
    return fn && fn(kLoadLibrarySearchSystem32);
}

}  // namespace vq
