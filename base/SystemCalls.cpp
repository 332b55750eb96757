// The calls the program takes at run time, each looked up by name in one place.
#include "base/SystemCalls.h"

#include <string>

#include "base/ProcessInfo.h"
#include "base/RelativeFiles.h"

namespace vq {

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr const char* kCommonControlsLibrary = "comctl32.dll";
constexpr const char* kThemeLibrary = "uxtheme.dll";
constexpr const char* kProcessStatusLibrary = "psapi.dll";
constexpr const char* kTrustLibrary = "wintrust.dll";

// An export of `module` as the function type it has; null when the module or the export is missing.
template <class Fn>
Fn LookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// kernel32 is mapped into every process before its first instruction: no load, no search.
template <class Fn>
Fn LookUpKernel32(const char* name) {
    return LookUp<Fn>(GetModuleHandleA("kernel32"), name);
}

template <class Fn>
Fn LookUpNtdll(const char* name) {
    return LookUp<Fn>(GetModuleHandleA("ntdll"), name);
}

ThemeCalls gThemeCalls;
bool gThemeLookedUp = false;

void MapWineLaterLoads(const char* library);
void MapDelayLoads(HMODULE lib);

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
    MapWineLaterLoads(name);
    const HMODULE lib = LoadLibraryExA(name, nullptr, kLoadLibrarySearchSystem32);
    if (lib) MapDelayLoads(lib);
    return lib;
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

// Neither library is freed: a later call's load finds it mapped and only counts up.
GetMappedFileNameWFn LookUpGetMappedFileName() {
    if (const auto fn = LookUpKernel32<GetMappedFileNameWFn>("K32GetMappedFileNameW")) return fn;
    return LookUp<GetMappedFileNameWFn>(LoadSystemLibrary(kProcessStatusLibrary), "GetMappedFileNameW");
}

WinVerifyTrustFn LookUpWinVerifyTrust() {
    return LookUp<WinVerifyTrustFn>(LoadSystemLibrary(kTrustLibrary), "WinVerifyTrust");
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

NtCreateFileFn LookUpNtCreateFile() { return LookUpNtdll<NtCreateFileFn>("NtCreateFile"); }

NtQueryDirectoryFileFn LookUpNtQueryDirectoryFile() {
    return LookUpNtdll<NtQueryDirectoryFileFn>("NtQueryDirectoryFile");
}

NtSetInformationFileFn LookUpNtSetInformationFile() {
    return LookUpNtdll<NtSetInformationFileFn>("NtSetInformationFile");
}

AttributeListCalls LookUpAttributeListCalls() {
    AttributeListCalls calls;
    calls.Initialize = LookUpKernel32<decltype(calls.Initialize)>("InitializeProcThreadAttributeList");
    calls.Update = LookUpKernel32<decltype(calls.Update)>("UpdateProcThreadAttribute");
    calls.Delete = LookUpKernel32<decltype(calls.Delete)>("DeleteProcThreadAttributeList");
    return calls;
}

// --- One upgrade at a time (app/SingleInstance) ---------------------------------------------
PrivateNamespaceCalls LookUpPrivateNamespaceCalls() {
    PrivateNamespaceCalls calls;
    calls.CreateBoundary = LookUpKernel32<decltype(calls.CreateBoundary)>("CreateBoundaryDescriptorW");
    calls.AddSid = LookUpKernel32<decltype(calls.AddSid)>("AddSIDToBoundaryDescriptor");
    calls.DeleteBoundary = LookUpKernel32<decltype(calls.DeleteBoundary)>("DeleteBoundaryDescriptor");
    calls.Create = LookUpKernel32<decltype(calls.Create)>("CreatePrivateNamespaceW");
    calls.Open = LookUpKernel32<decltype(calls.Open)>("OpenPrivateNamespaceW");
    return calls;
}
// --- end of one upgrade at a time ----------------------------------------------------------

// A program that flashes firmware with administrator rights must never load a DLL planted beside
// it (a downloads folder). Looked up at run time because older systems lack the calls.
bool RestrictDllSearchToSystem() {
    const auto restrict = LookUpKernel32<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
    if (restrict && restrict(kLoadLibrarySearchSystem32)) return true;
    // The program's folder stays first in the search then; the current directory at least goes.
    if (const auto setDllDirectory = LookUpKernel32<BOOL(WINAPI*)(LPCWSTR)>("SetDllDirectoryW")) {
        setDllDirectory(L"");
    }
    return false;
}

// ---- The running image's identity, and the later loads of the run-time libraries ----

namespace {

// What the libraries loaded at run time load later by name under Wine, whose own libraries keep
// their delay-loads out of the delay-import table (found with WINEDEBUG=+loaddll and in their
// import stubs). Windows' libraries name theirs in the table, which is read as well.
struct LaterLoads {
    const char* library;
    const char* loads[3];
};
constexpr LaterLoads kWineLaterLoads[] = {
    {kCommonControlsLibrary, {kThemeLibrary, "winmm.dll"}},
    {kThemeLibrary, {"msimg32.dll"}},
    {kTrustLibrary, {"imagehlp.dll", "cryptui.dll", "cryptnet.dll"}},
};

// `name` from the system directory by full path, with what it loads later; nothing when a module
// of that name is mapped already (a later load by name would find that one too).
void MapFromSystemDir(const char* name) {
    if (GetModuleHandleA(name)) return;
    MapWineLaterLoads(name);
    const std::wstring path = SystemDir() + L'\\' + AsciiToWide(name);
    if (const HMODULE lib = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        MapDelayLoads(lib);
    }
}

void MapWineLaterLoads(const char* library) {
    for (const LaterLoads& entry : kWineLaterLoads) {
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

NtAreMappedFilesTheSameFn LookUpNtAreMappedFilesTheSame() {
    return LookUpNtdll<NtAreMappedFilesTheSameFn>("NtAreMappedFilesTheSame");
}

}  // namespace vq
