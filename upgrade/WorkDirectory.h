// The work directory as the program's own object: made and held in one step, written into and
// emptied only through the handle it holds, and removed only once it is known to be that object.
#pragma once

#include <windows.h>

#include <string>

#include "base/WinHandle.h"
#include "upgrade/HoldBackoff.h"

namespace vq {

// Who may do what in a new work directory, as a security descriptor string: a protected list (no
// rights inherited from the folder the program lies in) giving Administrators and SYSTEM full
// control and ordinary users only reading, so nothing running as the user can swap Bios.bin or
// plant a DLL between two steps of the upgrade. Others may still look at what a failed run left.
inline constexpr const char* kWorkDirSecurity =
    "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

class WorkDirectory {
public:
    WorkDirectory() = default;
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    // Makes `path` (a full path) a new, empty, hidden directory with kWorkDirSecurity and holds
    // it: from here on nobody can rename, replace or remove it. A real directory already there
    // (left by an earlier failed run, or made by someone else) is emptied through a handle and
    // removed first. False, deleting nothing, when a link, a junction or a file has the name;
    // false when the old directory cannot be emptied (a subdirectory with entries, a read-only
    // file, a file held open), when the new one cannot be made, or for a bare name.
    bool Prepare(const std::wstring& path);

    HANDLE Get() const { return dir_.Get(); }
    const std::wstring& Path() const { return path_; }

    // The file "output" in it, made on the first call, that the tools' printing goes to; null
    // when it cannot be made.
    HANDLE ToolOutput();

    // Deletes every entry through the held handle, then removes the directory once its name
    // still leads to this very directory and to no link. Entries and the directory that others
    // hold for a moment (a scanner, a console host; open without delete sharing, or marked and
    // still open) are waited for while `hold` lasts. True only when the directory is marked for
    // deletion, so that it goes as its last handle closes; false when something keeps it (an
    // entry that cannot go, such as a subdirectory with entries or a read-only file, or a hold
    // that outlasts `hold`), and false, touching nothing at that name, when the name no longer
    // leads to the directory held.
    bool Clean(HoldBackoff& hold);
    // The same within kCleanHoldBoundMs.
    bool Clean();

private:
    std::wstring path_;
    UniqueHandle dir_;
    UniqueHandle output_;
};

}  // namespace vq
