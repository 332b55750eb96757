// Empties and removes the work directory once the flash is done.
#include "upgrade/WorkDirCleanup.h"

#include <windows.h>

#include <vector>

#include "upgrade/UpgradeRules.h"

namespace vq {

namespace {

bool IsDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Bare names of every entry, in the order the listing gives them; none is deleted meanwhile.
std::vector<std::string> ListEntries(const std::string& dir) {
    std::vector<std::string> names;
    const std::string pattern = std::string(dir).append(kListAllPattern);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!IsDotEntry(found.cFileName)) {
            names.emplace_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

}  // namespace

bool CleanWorkDirectory(const std::string& workDir, const std::string& exeDir) {
    if (!IsDirectory(workDir)) {
        return false;
    }
    // Full paths: the files go even if something moved the current directory meanwhile.
    for (const std::string& name : ListEntries(workDir)) {
        DeleteFileA(PathInDir(workDir, name).c_str());
    }
    // A directory that is some process's current directory cannot be removed.
    SetCurrentDirectoryA(exeDir.c_str());
    RemoveDirectoryA(workDir.c_str());
    return true;
}

}  // namespace vq
