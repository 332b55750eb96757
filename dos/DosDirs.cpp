// The starting and work directories every step returns to or works in.
#include "DosSteps.h"
#include "Files.h"

namespace vqdos {

bool FormDirs(DosDirs& dirs) {
    return rt::GetCurrentDir(dirs.start, sizeof dirs.start) && FormWorkDirPath(dirs.start, dirs.work);
}

bool DosFileExists(const char* path) { return rt::PathExists(path); }

}  // namespace vqdos
