// Keeps libraries from being loaded out of the program's own folder.
#include "app/DllSearch.h"

#include <windows.h>

namespace vq {

namespace {
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}

// A program that flashes firmware with administrator rights must never load a DLL planted beside
// it (a downloads folder). Looked up at run time because older systems lack the call.
bool RestrictDllSearchToSystem() {
    using Fn = BOOL(WINAPI*)(DWORD);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "SetDefaultDllDirectories")));
    return fn && fn(kLoadLibrarySearchSystem32);
}

}  // namespace vq
