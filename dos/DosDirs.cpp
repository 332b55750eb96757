// The starting and work directories every step returns to or works in.
#include "dos/DosSteps.h"
#include "dos/rt/Files.h"
#include "dos/rt/Str.h"

namespace vq::dos {

bool FormDirs(DosDirs& dirs) {
    dirs.drive = rt::GetCurrentDrive();
    return rt::GetCurrentDir(dirs.start, sizeof dirs.start) && FormWorkDirPath(dirs.start, dirs.work);
}

bool DosFileExists(const char* path) { return rt::PathExists(path); }

bool DosDirExists(const char* path) {
    uint16_t attrs;
    return rt::GetAttributes(path, attrs) && (attrs & rt::kAttrDirectory) != 0;
}

bool EnterWorkDir(const DosDirs& dirs) {
    // A change of directory names its drive but does not make it current: select it first.
    char current[kPathBytes];
    return rt::SelectDrive(dirs.drive) && DosDirExists(dirs.work) && rt::ChangeDir(dirs.work) &&
           rt::GetCurrentDir(current, sizeof current) && rt::StrEqualNoCase(current, dirs.work);
}

void ReturnToStart(const DosDirs& dirs) {
    rt::SelectDrive(dirs.drive);
    rt::ChangeDir(dirs.start);
}

}  // namespace vq::dos
