// Where the program's DLLs come from: the search lock, and the run-time loads of system DLLs
// with what those load later, by full path from the system directory.
#include "base/SystemLibraries.h"

#include <string>

#include "base/Paths.h"
#include "base/ProcessInfo.h"
#include "base/RelativeFiles.h"
#include "base/SystemCalls.h"

namespace vq {

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// What the libraries loaded at run time load later by name under Wine 8.0, whose own libraries
// keep their delay-loads out of the delay-import table (found with WINEDEBUG=+loaddll and in
// their import stubs). Windows' libraries name theirs in the table, which is read everywhere;
// on Windows this list would only bring libraries nobody uses into the elevated process.
struct LaterLoads {
    const char* library;
    const char* loads[3];
};
constexpr LaterLoads kWine8LaterLoads[] = {
    {kCommonControlsLibrary, {kThemeLibrary, "winmm.dll"}},
    {kThemeLibrary, {"msimg32.dll"}},
    {kTrustLibrary, {"imagehlp.dll", "cryptui.dll", "cryptnet.dll"}},
};

void MapWineLaterLoads(const char* library);
void MapDelayLoads(HMODULE lib);

// `name` from the system directory by full path, with what it loads later; nothing when a module
// of that name is mapped already (a later load by name would find that one too).
void MapFromSystemDir(const char* name) {
    if (GetModuleHandleA(name)) return;
    MapWineLaterLoads(name);
    const std::wstring path = PathInDir(SystemDir(), AsciiToWide(name));
    if (const HMODULE lib = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        MapDelayLoads(lib);
    }
}

void MapWineLaterLoads(const char* library) {
    if (!RunsUnderWine()) return;
    for (const LaterLoads& entry : kWine8LaterLoads) {
        if (lstrcmpiA(entry.library, library) != 0) continue;
        for (const char* load : entry.loads) {
            if (load) MapFromSystemDir(load);
        }
    }
}

void MapDelayLoads(HMODULE lib) {
    const auto* base = reinterpret_cast<const BYTE*>(lib);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT) return;
    const DWORD table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress;
    if (table == 0) return;
    for (auto* d = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(base + table); d->DllNameRVA; ++d) {
        if (d->Attributes.RvaBased) MapFromSystemDir(reinterpret_cast<const char*>(base + d->DllNameRVA));
    }
}

}  // namespace

// A program that flashes firmware with administrator rights must never load a DLL planted beside
// it (a downloads folder). Looked up at run time because older systems lack the calls.
bool RestrictDllSearchToSystem() {
    const auto restrict = LookUpSetDefaultDllDirectories();
    if (restrict && restrict(kLoadLibrarySearchSystem32)) return true;
    // The program's folder stays first in the search then; the current directory at least goes.
    if (const auto setDllDirectory = LookUpSetDllDirectory()) setDllDirectory(L"");
    return false;
}

HMODULE LoadSystemLibrary(const char* name) {
    MapWineLaterLoads(name);
    const HMODULE lib = LoadLibraryExA(name, nullptr, kLoadLibrarySearchSystem32);
    if (lib) MapDelayLoads(lib);
    return lib;
}

}  // namespace vq
