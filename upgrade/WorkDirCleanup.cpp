// Empties and removes the work directory once the flash is done.
#include "upgrade/WorkDirCleanup.h"

#include <windows.h>

#include <vector>

#include "base/WinHandle.h"
#include "upgrade/UpgradeRules.h"

namespace vq {

namespace {

// Bare names of every entry, in the order the listing gives them; none is deleted meanwhile.
std::vector<std::string> ListEntries(const std::string& dir) {
    std::vector<std::string> names;
    const std::string pattern = std::string(dir).append(kListAllPattern);
    WIN32_FIND_DATAA found;
    UniqueFind search(pattern.c_str(), found);
    if (!search.Valid()) {
        return names;
    }
    do {
        if (!IsDotEntry(found.cFileName)) {
            names.emplace_back(found.cFileName);
        }
    } while (search.Next(found));
    return names;
}

}  // namespace

PathKind KindOf(const std::string& path) {
    // Attributes of a link are its own: a link to a directory shows as a directory that is also
    // a reparse point.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return PathKind::ReparsePoint;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::Other;
}

bool CleanWorkDirectory(const std::string& workDir, const std::string& exeDir) {
    // Never delete through a link: its target is somebody else's folder. The flash tool ran for
    // minutes, long enough for the directory to be swapped for one, so this looks again now and
    // before every deletion.
    if (KindOf(workDir) != PathKind::Directory) {
        return false;
    }
    // Full paths: the files go even if something moved the current directory meanwhile.
    for (const std::string& name : ListEntries(workDir)) {
        if (KindOf(workDir) != PathKind::Directory) {
            return false;
        }
        DeleteFileA(PathInDir(workDir, name).c_str());
    }
    // A directory that is some process's current directory cannot be removed.
    SetCurrentDirectoryA(exeDir.c_str());
    // Should a link have taken the directory's place after all, this removes the link alone.
    RemoveDirectoryA(workDir.c_str());
    return true;
}

}  // namespace vq
