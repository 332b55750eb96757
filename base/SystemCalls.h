// The calls the program takes at run time rather than from its import table, each looked up by
// name in one place and once for the life of the process: those not every Windows version has,
// and those of system DLLs that are no KnownDLLs (loaded through base/SystemLibraries).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <winternl.h>
#include <uxtheme.h>

namespace vq {

// IsWow64Process from kernel32, or null on systems that lack it (32-bit Windows before XP SP2).
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
IsWow64ProcessFn LookUpIsWow64Process();

// Whether the process runs under Wine: only Wine's ntdll exports wine_get_version.
bool RunsUnderWine();

// The DLL search lock from kernel32: SetDefaultDllDirectories (Vista with KB2533623 on) and
// SetDllDirectoryW (XP SP1 on); null where missing.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryWFn = BOOL(WINAPI*)(LPCWSTR);
SetDefaultDllDirectoriesFn LookUpSetDefaultDllDirectories();
SetDllDirectoryWFn LookUpSetDllDirectory();

// ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy from user32, or null before Vista.
using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);
ShutdownBlockReasonCreateFn LookUpShutdownBlockReasonCreate();
ShutdownBlockReasonDestroyFn LookUpShutdownBlockReasonDestroy();

// InitCommonControlsEx from the common controls (version 6, as the manifest asks), loaded on the
// first call; null when they cannot be loaded. Loading them registers their window classes.
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
InitCommonControlsExFn LookUpInitCommonControlsEx();

// GetMappedFileNameW: kernel32's K32GetMappedFileNameW from Windows 7 on, psapi's before (from
// the system directory); null when neither is there.
using GetMappedFileNameWFn = DWORD(WINAPI*)(HANDLE, LPVOID, LPWSTR, DWORD);
GetMappedFileNameWFn LookUpGetMappedFileName();

// WinVerifyTrust from wintrust, loaded from the system directory; null when it
// cannot be loaded. wintrust is no KnownDLL, so it is never imported.
using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
WinVerifyTrustFn LookUpWinVerifyTrust();

// The visual-styles calls, loaded on the first call; without them (no uxtheme, or a system
// before XP) every member is null and buttons draw the classic way. First called on the thread
// that paints, and only there.
struct ThemeCalls {
    decltype(&OpenThemeData) Open = nullptr;
    decltype(&DrawThemeBackground) Draw = nullptr;
    decltype(&CloseThemeData) Close = nullptr;
    bool Usable() const { return Open && Draw && Close; }
};
const ThemeCalls& LookUpThemeCalls();

// ntdll's file calls that act relative to a directory handle; null where missing. ntdll is
// mapped into every process before its first instruction: nothing is loaded or searched for.
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID,
                                                ULONG, ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
NtCreateFileFn LookUpNtCreateFile();
NtQueryDirectoryFileFn LookUpNtQueryDirectoryFile();
NtSetInformationFileFn LookUpNtSetInformationFile();

// The process-attribute-list calls from kernel32 (Vista on), with which a child inherits only
// the handles named; every member null on older systems.
struct AttributeListCalls {
    BOOL(WINAPI* Initialize)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T) = nullptr;
    BOOL(WINAPI* Update)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T) = nullptr;
    void(WINAPI* Delete)(LPPROC_THREAD_ATTRIBUTE_LIST) = nullptr;
    bool Usable() const { return Initialize && Update && Delete; }
};
AttributeListCalls LookUpAttributeListCalls();

// --- One upgrade at a time (app/SingleInstance) ---------------------------------------------
// The private-namespace calls from kernel32 (Vista on); every member null on older systems.
// Under Wine 8 CreateBoundaryDescriptorW answers null and CreatePrivateNamespaceW ends the
// process when called: a boundary must be had before anything else is called.
struct PrivateNamespaceCalls {
    HANDLE(WINAPI* CreateBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* AddSid)(HANDLE*, PSID) = nullptr;
    void(WINAPI* DeleteBoundary)(HANDLE) = nullptr;
    HANDLE(WINAPI* Create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* Open)(LPVOID, LPCWSTR) = nullptr;
    bool Usable() const { return CreateBoundary && AddSid && DeleteBoundary && Create && Open; }
};
PrivateNamespaceCalls LookUpPrivateNamespaceCalls();
// --- end of one upgrade at a time ----------------------------------------------------------

// ---- The running image's identity ----

// NtAreMappedFilesTheSame from ntdll: 0 (STATUS_SUCCESS) when the image mapped at the first
// address and the file viewed at the second are one file; null where missing.
using NtAreMappedFilesTheSameFn = NTSTATUS(NTAPI*)(PVOID, PVOID);
NtAreMappedFilesTheSameFn LookUpNtAreMappedFilesTheSame();

}  // namespace vq
