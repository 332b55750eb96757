// The work directory as the program's own object, from its creation to its removal.
#include "upgrade/WorkDirectory.h"

#include <sddl.h>

#include <vector>

#include "base/Paths.h"
#include "base/Product.h"
#include "base/RelativeFiles.h"

namespace vq {

namespace {

// Held for the whole run without delete sharing: nobody can rename or remove the directory. No
// DELETE right either: a tool's current directory is opened without delete sharing, so a holder
// with that right would keep the tools from starting in it.
constexpr ACCESS_MASK kHeldAccess =
    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr ULONG kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Held by someone else for now (open without delete sharing, or already marked and open).
bool Passing(LONG status) {
    return status == kStatusSharingViolation || status == kStatusDeletePending;
}

UniqueHandle OpenFolder(const std::wstring& folder) {
    return UniqueHandle(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The object held is a real directory, and the folder's entry of that name is that same object
// and no link. The handle's own attributes decide on Windows, where the object was opened
// without following; the entry is asked as well because Wine follows a Unix link even then.
bool IsPlainDirectoryAt(HANDLE folder, const std::wstring& name, HANDLE held, FileIdentity* identity = nullptr) {
    FileIdentity object, entry;
    if (!IdentityOf(held, object) || !IsPlainDirectory(object.Attributes)) return false;
    if (!EntryIdentity(folder, name, entry) || !IsPlainDirectory(entry.Attributes) || entry.Index != object.Index)
        return false;
    if (identity) *identity = object;
    return true;
}

// The object opened by `name` in `dir` is the one the listing shows under that name, and a
// link only where the object is one: Wine follows a Unix link even when asked not to.
bool IsEntryItself(HANDLE dir, const std::wstring& name, HANDLE object) {
    FileIdentity opened, listed;
    return IdentityOf(object, opened) && EntryIdentity(dir, name, listed) && listed.Index == opened.Index &&
           (listed.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) == (opened.Attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A file that cannot go only while a process still runs from it (a tool's child that is still
// ending): no read-only file, which never goes.
bool IsRunningImage(HANDLE entry, LONG markStatus) {
    FileIdentity info;
    return markStatus == kStatusCannotDelete && IdentityOf(entry, info) &&
           (info.Attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// What emptying a directory achieved.
enum class Emptied {
    All,   // nothing is left in it
    Held,  // what is left is held by others for now, or marked and goes once they let go
    Kept,  // something cannot go: a subdirectory with entries, a read-only file, a listing refused
};

// Deletes every entry of the directory held by `dir`, each opened relative to it and never
// followed (a link goes by itself).
Emptied Empty(HANDLE dir) {
    std::vector<std::wstring> names;
    if (!ListNames(dir, names)) return Emptied::Kept;
    bool held = false, kept = false;
    for (const std::wstring& name : names) {
        LONG status = 0;
        const UniqueHandle entry = OpenRelative(dir, name, Relative::OpenAny, DELETE, kShareAll, nullptr, &status);
        if (entry.Valid() && IsEntryItself(dir, name, entry.Get()) && MarkForDeletion(entry.Get(), &status)) continue;
        if ((!entry.Valid() && Passing(status)) || (entry.Valid() && IsRunningImage(entry.Get(), status))) {
            held = true;
        } else {
            kept = true;
        }
    }
    if (kept) return Emptied::Kept;
    // A marked entry stays listed while another process still has it open.
    names.clear();
    if (!ListNames(dir, names)) return Emptied::Kept;
    return names.empty() && !held ? Emptied::All : Emptied::Held;
}

// Empties and removes a directory left at `name`, held from its opening to its removal.
bool RemoveLeftover(HANDLE folder, const std::wstring& name) {
    // Whatever lies in it would sit beside the tools while they run elevated: a DLL under a name
    // the flash tool loads from its own folder would run with them. Removed rather than only
    // emptied, so the new directory is ours, with our access list.
    const UniqueHandle old = OpenRelative(folder, name, Relative::OpenDirectory,
                                          DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kHeldShare);
    // A link would lead the deletions into its target; a file there is somebody's data.
    if (!old.Valid() || !IsPlainDirectoryAt(folder, name, old.Get())) return false;
    return Empty(old.Get()) == Emptied::All && MarkForDeletion(old.Get());
}

// A new directory at `name` with our access list, held; empty when anything has the name.
UniqueHandle CreateHeld(HANDLE folder, const std::wstring& name, LONG& status) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kWorkDirSecurity, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return UniqueHandle();
    }
    UniqueHandle dir = OpenRelative(folder, name, Relative::CreateDirectory, kHeldAccess, kHeldShare, descriptor,
                                    &status);
    LocalFree(descriptor);
    return dir;
}

}  // namespace

bool WorkDirectory::Prepare(const std::wstring& path) {
    // A bare name would be taken relative to whatever directory happens to be current.
    const std::wstring folderPath = FolderOf(path);
    const std::wstring name(NameOf(path));
    if (folderPath.empty() || name.empty()) return false;
    const UniqueHandle folder = OpenFolder(folderPath);
    if (!folder.Valid()) return false;
    LONG status = 0;
    UniqueHandle dir = CreateHeld(folder.Get(), name, status);
    if (!dir.Valid() && status == kStatusNameCollision) {
        // Made anew once the leftover is gone; taken meanwhile, the name is refused.
        if (!RemoveLeftover(folder.Get(), name)) return false;
        dir = CreateHeld(folder.Get(), name, status);
    }
    // On Windows the directory is made and opened in one step. Wine makes it and then opens it
    // by name, so another process can put its own there in between: what is held must be the
    // folder's entry of that name, and empty.
    std::vector<std::wstring> entries;
    if (!dir.Valid() || !IsPlainDirectoryAt(folder.Get(), name, dir.Get()) || !ListNames(dir.Get(), entries) ||
        !entries.empty()) {
        return false;
    }
    SetAttributes(dir.Get(), FILE_ATTRIBUTE_HIDDEN);
    path_ = path;
    dir_ = std::move(dir);
    return true;
}

HANDLE WorkDirectory::ToolOutput() {
    if (!output_.Valid() && dir_.Valid()) {
        // Appended to by each tool in turn, whatever position the one before left.
        output_ = OpenRelative(dir_.Get(), AsciiToWide(kToolOutputName), Relative::CreateFile,
                               FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ);
    }
    return output_.Get();
}

bool WorkDirectory::Clean(HoldBackoff& hold) {
    output_.Reset();
    FileIdentity held;
    if (!dir_.Valid() || !IdentityOf(dir_.Get(), held)) return false;
    // Each round deletes what it can; a round that leaves only what others hold for now waits.
    while (Empty(dir_.Get()) == Emptied::Held && hold.Wait()) {
    }

    // Removing needs a handle with the DELETE right, which the held one lacks (see kHeldAccess)
    // and which cannot be had while it is open: so it is let go, and the name opened again is
    // only trusted as the same directory, not followed, and still no link. Whoever takes the name
    // in that moment keeps the directory from being removed: that is a failed clean-up, not a
    // directory removed.
    const UniqueHandle folder = OpenFolder(FolderOf(path_));
    const std::wstring name(NameOf(path_));
    dir_.Reset();
    UniqueHandle again;
    for (;;) {
        LONG status = 0;
        again = OpenRelative(folder.Get(), name, Relative::OpenDirectory, DELETE | FILE_READ_ATTRIBUTES, kHeldShare,
                             nullptr, &status);
        // A console host keeps a tool's current directory open for a moment after the tool. Only
        // our own directory is waited for: a name taken by another one fails at once.
        if (again.Valid() || status != kStatusSharingViolation) break;
        const UniqueHandle look = OpenRelative(folder.Get(), name, Relative::OpenDirectory, FILE_READ_ATTRIBUTES,
                                               kShareAll);
        FileIdentity now;
        if (!look.Valid() || !IsPlainDirectoryAt(folder.Get(), name, look.Get(), &now) || !(now == held) ||
            !hold.Wait()) {
            break;
        }
    }
    FileIdentity now;
    return again.Valid() && IsPlainDirectoryAt(folder.Get(), name, again.Get(), &now) && now == held &&
           MarkForDeletion(again.Get());
}

bool WorkDirectory::Clean() {
    HoldBackoff hold;
    return Clean(hold);
}

}  // namespace vq
