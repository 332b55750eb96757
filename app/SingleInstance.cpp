// One upgrade at a time: a named mutex in the global namespace, owned by the running instance.
//
// Its existence proves nothing: anyone may create a global mutex first, or keep ours alive by
// holding a handle to it. So an instance claims the mark by owning the mutex, and the mutex lets
// only SYSTEM and Administrators in: nobody else can own it. A mutex of that name owned by anyone
// but Administrators is someone else's, and counts as no mark (the upgrade goes on, unguarded);
// refusing to run instead would hand every standard user a switch that blocks upgrades for good.
#include "app/SingleInstance.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "app/FormIds.h"

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

}  // namespace

bool ClaimOnlyInstance() {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kMarkSecurity, SDDL_REVISION_1, &sd,
                                                              nullptr)) {
        return true;
    }
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
    HANDLE mark = CreateMutexA(&sa, FALSE, kOneInstanceName);
    const DWORD created = GetLastError();
    LocalFree(sd);
    // None to be had (a squatter's that shuts administrators out, or no global namespace): run.
    if (mark == nullptr) {
        return true;
    }
    if (created == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(mark)) {
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
