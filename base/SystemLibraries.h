// Where the program's DLLs come from: the search lock, and the system DLLs it loads at run time,
// each from the system directory with what it loads later by name.
#pragma once

#include <windows.h>

namespace vq {

// The system DLLs the program loads at run time (none is a KnownDLL, so none is imported).
inline constexpr const char* kCommonControlsLibrary = "comctl32.dll";
inline constexpr const char* kThemeLibrary = "uxtheme.dll";
inline constexpr const char* kProcessStatusLibrary = "psapi.dll";
inline constexpr const char* kTrustLibrary = "wintrust.dll";

// Restricts the DLL search of this process to the system directory. True when the system
// offers the restriction and accepted it; where it does not, the current directory is at least
// taken out of the search, and LoadSystemLibrary's mapping of what a library loads later is all
// that keeps a planted DLL out.
bool RestrictDllSearchToSystem();

// A system DLL the program does not import, from the system directory only: never one beside the
// program or on the path. The program imports statically only KnownDLLs; any other DLL named in
// its import table would be looked for in its own folder first, before the search can be
// restricted, and would run elevated. A DLL the manifest names (the common controls) still comes
// from the side-by-side store its activation context points at. Null when there is none (or on a
// system too old to restrict a single load). What the library loads later by name on its own
// (delay-loads, loads at first use) is mapped first from the system directory by full path, so
// that such a load finds it mapped and searches nowhere: loaders do not all apply the search
// lock to those loads (Wine 8 looks beside the program first; Windows without
// SetDefaultDllDirectories has no lock at all).
HMODULE LoadSystemLibrary(const char* name);

}  // namespace vq
