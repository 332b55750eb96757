// The starting and work directories every step returns to or works in.
#include "DosSteps.h"
#include "Files.h"

namespace vqdos {

bool FormDirs(DosDirs& dirs) {
    return rt::GetCurrentDir(dirs.start, sizeof dirs.start) && FormWorkDirPath(dirs.start, dirs.work);
}

bool DosFileExists(const char* path) { return rt::PathExists(path); }

bool DosDirExists(const char* path) {
    uint16_t attrs;
    return rt::GetAttributes(path, attrs) && (attrs & rt::kAttrDirectory) != 0;
}

bool EnterWorkDir(const DosDirs& dirs) { return DosDirExists(dirs.work) && rt::ChangeDir(dirs.work); }

}  // namespace vqdos
