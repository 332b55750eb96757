// System DLLs the program does not import: loaded from the system directory only, looked up by
// name. The program imports statically only KnownDLLs (and the common controls through its
// manifest): any other DLL named in the import table is resolved from the program's own folder
// first, before anything can restrict the search, and would run elevated.
#pragma once

#include <windows.h>

namespace vq {

// The system directory's copy of `name`, never one beside the program or on the path; null
// when there is none (or on a system too old to restrict a single load).
inline HMODULE LoadSystemLibrary(const char* name) {
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// An export of `module` as the function type it has; null when the module or export is missing.
template <class Fn>
Fn SystemProc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace vq
