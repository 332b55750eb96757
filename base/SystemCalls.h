// System calls that not every Windows version has, each looked up by name in one place, and the
// DLL search lock that keeps libraries from being loaded out of the program's own folder.
#pragma once

#include <windows.h>

namespace vq {

// IsWow64Process from kernel32, or null on systems that lack it (32-bit Windows before XP SP2).
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
IsWow64ProcessFn LookUpIsWow64Process();

// A system DLL the program does not import, from the system directory only: never one beside the
// program or on the path. The program imports statically only KnownDLLs (and the common controls
// through its manifest); any other DLL named in its import table would be looked for in its own
// folder first, before the search can be restricted, and would run elevated. Null when there is
// none (or on a system too old to restrict a single load).
HMODULE LoadSystemLibrary(const char* name);

// An export of `module` as the function type it has; null when the module or the export is missing.
template <class Fn>
Fn LookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy from user32, or null before Vista.
using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);
ShutdownBlockReasonCreateFn LookUpShutdownBlockReasonCreate();
ShutdownBlockReasonDestroyFn LookUpShutdownBlockReasonDestroy();

// Restricts the DLL search of this process to the system directory. True when the system
// offers the restriction and accepted it.
bool RestrictDllSearchToSystem();

}  // namespace vq
