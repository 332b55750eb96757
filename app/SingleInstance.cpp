// One upgrade at a time: a named mutex, owned by the running instance.
//
// Its existence proves nothing: someone may keep ours alive by holding a handle to it. So an
// instance claims the mark by owning the mutex, and the mutex lets only SYSTEM and Administrators
// in: nobody else can own it. It lies in a private namespace nobody but an elevated administrator
// can make or make objects in, so nobody else can make it first either. Without one, it lies in
// the global namespace, where anyone can: a mutex of that name owned by anyone but Administrators
// is someone else's, and counts as no mark (the upgrade goes on, unguarded); refusing to run
// instead would hand every standard user a switch that blocks upgrades for good.
#include "app/SingleInstance.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "base/SystemCalls.h"
#include "ui/FormIds.h"

namespace vq {

namespace {

// Owner Administrators, which only an elevated administrator (or SYSTEM) can set; full access for
// SYSTEM and Administrators, in every session, and nothing for anyone else.
constexpr const char* kMarkSecurity = "O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)";

constexpr int kWindowWaitTries = 20;  // the running instance claims before its window exists
constexpr DWORD kWindowWaitMs = 50;

bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &sd) != ERROR_SUCCESS) {
        return false;
    }
    const bool administrators = owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    LocalFree(sd);
    return administrators;
}

// Makes the mark's namespace, or opens it when a running instance made it, with `sa` for who may
// make objects in it; false where there is none to be had. Its handle stays open until the
// process ends.
bool OpenMarkNamespace(SECURITY_ATTRIBUTES* sa) {
    const PrivateNamespaceCalls calls = LookUpPrivateNamespaceCalls();
    HANDLE boundary = calls.Usable() ? calls.CreateBoundary(kMarkNamespace, 0) : nullptr;
    if (boundary == nullptr) {
        return false;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        calls.AddSid(&boundary, administrators)) {
        space = calls.Create(sa, boundary, kMarkNamespace);
        if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
            space = calls.Open(boundary, kMarkNamespace);
        }
    }
    calls.DeleteBoundary(boundary);
    return space != nullptr;
}

}  // namespace

bool ClaimOnlyInstance() {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kMarkSecurity, SDDL_REVISION_1, &sd,
                                                              nullptr)) {
        return true;
    }
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
    const bool administratorsOnly = OpenMarkNamespace(&sa);
    HANDLE mark = administratorsOnly ? CreateMutexW(&sa, FALSE, kNamespacedMarkName)
                                     : CreateMutexA(&sa, FALSE, kOneInstanceName);
    const DWORD created = GetLastError();
    LocalFree(sd);
    // None to be had (a squatter's that shuts administrators out, or no global namespace): run.
    if (mark == nullptr) {
        return true;
    }
    if (created == ERROR_ALREADY_EXISTS && !administratorsOnly && !OwnedByAdministrators(mark)) {
        CloseHandle(mark);
        return true;
    }
    // Owned by this thread, the one that lives until the process ends; abandoned then. The handle
    // stays open for as long.
    const DWORD waited = WaitForSingleObject(mark, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        return true;
    }
    CloseHandle(mark);
    return false;
}

void BringRunningInstanceForward() {
    HWND form = nullptr;
    for (int i = 0; i < kWindowWaitTries && form == nullptr; ++i) {
        form = FindWindowA(kFormClass, kFormCaption);
        if (form == nullptr) Sleep(kWindowWaitMs);
    }
    if (form == nullptr) {
        return;
    }
    // A minimised form is hidden behind its taskbar window, which brings it back when restored.
    if (HWND taskbar = GetWindow(form, GW_OWNER); taskbar && IsIconic(taskbar)) {
        ShowWindow(taskbar, SW_RESTORE);
    }
    // The confirmation box, when it is open.
    SetForegroundWindow(GetLastActivePopup(form));
}

}  // namespace vq
