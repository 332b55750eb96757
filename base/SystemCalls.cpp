// The calls the program takes at run time, each looked up by name in one place, once.
#include "base/SystemCalls.h"

#include <atomic>

#include "base/SystemLibraries.h"

namespace vq {

namespace {

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

// A call looked up on first use and kept, missing or not: what a process has mapped does not
// change its exports. Threads that ask at once may each look it up, and keep the same answer.
// Atomics rather than a guarded static, which would bring the C++ runtime's locking and
// exception machinery into the program.
class KeptCall {
public:
    template <class Fn, class Find>
    Fn Get(Find find) {
        if (!found_.load(std::memory_order_acquire)) {
            call_.store(reinterpret_cast<void*>(find()), std::memory_order_relaxed);
            found_.store(true, std::memory_order_release);
        }
        return reinterpret_cast<Fn>(call_.load(std::memory_order_relaxed));
    }

private:
    std::atomic<void*> call_{nullptr};
    std::atomic<bool> found_{false};
};

ThemeCalls gThemeCalls;
bool gThemeLookedUp = false;

KeptCall gWineGetVersion, gSetDefaultDllDirectories, gSetDllDirectory, gShutdownBlockReasonCreate,
    gShutdownBlockReasonDestroy, gIsWow64Process, gInitCommonControlsEx, gGetMappedFileName, gWinVerifyTrust,
    gNtCreateFile, gNtQueryDirectoryFile, gNtSetInformationFile, gNtAreMappedFilesTheSame;
KeptCall gAttributeListInitialize, gAttributeListUpdate, gAttributeListDelete;
KeptCall gCreateBoundary, gAddSid, gDeleteBoundary, gCreateNamespace, gOpenNamespace;

template <class Fn>
Fn KeptKernel32(KeptCall& kept, const char* name) {
    return kept.Get<Fn>([name] { return LookUpKernel32<Fn>(name); });
}

template <class Fn>
Fn KeptNtdll(KeptCall& kept, const char* name) {
    return kept.Get<Fn>([name] { return LookUpNtdll<Fn>(name); });
}

}  // namespace

bool RunsUnderWine() {
    return KeptNtdll<const char*(CDECL*)()>(gWineGetVersion, "wine_get_version") != nullptr;
}

SetDefaultDllDirectoriesFn LookUpSetDefaultDllDirectories() {
    return KeptKernel32<SetDefaultDllDirectoriesFn>(gSetDefaultDllDirectories, "SetDefaultDllDirectories");
}

SetDllDirectoryWFn LookUpSetDllDirectory() {
    return KeptKernel32<SetDllDirectoryWFn>(gSetDllDirectory, "SetDllDirectoryW");
}

// user32 is imported, so it is mapped already.
ShutdownBlockReasonCreateFn LookUpShutdownBlockReasonCreate() {
    return gShutdownBlockReasonCreate.Get<ShutdownBlockReasonCreateFn>([] {
        return LookUp<ShutdownBlockReasonCreateFn>(GetModuleHandleA("user32"), "ShutdownBlockReasonCreate");
    });
}

ShutdownBlockReasonDestroyFn LookUpShutdownBlockReasonDestroy() {
    return gShutdownBlockReasonDestroy.Get<ShutdownBlockReasonDestroyFn>([] {
        return LookUp<ShutdownBlockReasonDestroyFn>(GetModuleHandleA("user32"), "ShutdownBlockReasonDestroy");
    });
}

IsWow64ProcessFn LookUpIsWow64Process() {
    return KeptKernel32<IsWow64ProcessFn>(gIsWow64Process, "IsWow64Process");
}

// The library stays loaded for the life of the process: the controls it registers live as long.
InitCommonControlsExFn LookUpInitCommonControlsEx() {
    return gInitCommonControlsEx.Get<InitCommonControlsExFn>([] {
        return LookUp<InitCommonControlsExFn>(LoadSystemLibrary(kCommonControlsLibrary), "InitCommonControlsEx");
    });
}

// Neither library is freed: the call kept stays valid.
GetMappedFileNameWFn LookUpGetMappedFileName() {
    return gGetMappedFileName.Get<GetMappedFileNameWFn>([] {
        if (const auto fn = LookUpKernel32<GetMappedFileNameWFn>("K32GetMappedFileNameW")) return fn;
        return LookUp<GetMappedFileNameWFn>(LoadSystemLibrary(kProcessStatusLibrary), "GetMappedFileNameW");
    });
}

WinVerifyTrustFn LookUpWinVerifyTrust() {
    return gWinVerifyTrust.Get<WinVerifyTrustFn>(
        [] { return LookUp<WinVerifyTrustFn>(LoadSystemLibrary(kTrustLibrary), "WinVerifyTrust"); });
}

// Painting happens on the window's thread only, so a plain flag guards the one lookup.
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

NtCreateFileFn LookUpNtCreateFile() { return KeptNtdll<NtCreateFileFn>(gNtCreateFile, "NtCreateFile"); }

NtQueryDirectoryFileFn LookUpNtQueryDirectoryFile() {
    return KeptNtdll<NtQueryDirectoryFileFn>(gNtQueryDirectoryFile, "NtQueryDirectoryFile");
}

NtSetInformationFileFn LookUpNtSetInformationFile() {
    return KeptNtdll<NtSetInformationFileFn>(gNtSetInformationFile, "NtSetInformationFile");
}

AttributeListCalls LookUpAttributeListCalls() {
    AttributeListCalls calls;
    calls.Initialize =
        KeptKernel32<decltype(calls.Initialize)>(gAttributeListInitialize, "InitializeProcThreadAttributeList");
    calls.Update = KeptKernel32<decltype(calls.Update)>(gAttributeListUpdate, "UpdateProcThreadAttribute");
    calls.Delete = KeptKernel32<decltype(calls.Delete)>(gAttributeListDelete, "DeleteProcThreadAttributeList");
    return calls;
}

// --- One upgrade at a time (app/SingleInstance) ---------------------------------------------
PrivateNamespaceCalls LookUpPrivateNamespaceCalls() {
    PrivateNamespaceCalls calls;
    calls.CreateBoundary =
        KeptKernel32<decltype(calls.CreateBoundary)>(gCreateBoundary, "CreateBoundaryDescriptorW");
    calls.AddSid = KeptKernel32<decltype(calls.AddSid)>(gAddSid, "AddSIDToBoundaryDescriptor");
    calls.DeleteBoundary = KeptKernel32<decltype(calls.DeleteBoundary)>(gDeleteBoundary, "DeleteBoundaryDescriptor");
    calls.Create = KeptKernel32<decltype(calls.Create)>(gCreateNamespace, "CreatePrivateNamespaceW");
    calls.Open = KeptKernel32<decltype(calls.Open)>(gOpenNamespace, "OpenPrivateNamespaceW");
    return calls;
}
// --- end of one upgrade at a time ----------------------------------------------------------

// ---- The running image's identity ----

NtAreMappedFilesTheSameFn LookUpNtAreMappedFilesTheSame() {
    return KeptNtdll<NtAreMappedFilesTheSameFn>(gNtAreMappedFilesTheSame, "NtAreMappedFilesTheSame");
}

}  // namespace vq
