// System calls that not every Windows version has, each looked up by name in one place, and the
// DLL search lock that keeps libraries from being loaded out of the program's own folder.
#pragma once

#include <windows.h>

namespace vq {

// IsWow64Process from kernel32, or null on systems that lack it (32-bit Windows before XP SP2).
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
IsWow64ProcessFn LookUpIsWow64Process();

// Restricts the DLL search of this process to the system directory. True when the system
// offers the restriction and accepted it.
bool RestrictDllSearchToSystem();

}  // namespace vq
