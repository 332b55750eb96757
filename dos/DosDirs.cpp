// The starting and work directories every step returns to or works in.
#include "DosSteps.h"
#include "Files.h"

namespace vqdos {
namespace {

DosDirs gDirs;

}  // namespace

DosDirs& Dirs() { return gDirs; }

bool FormDirs() {
    gDirs.formed = rt::GetCurrentDir(gDirs.start, sizeof gDirs.start) && FormWorkDirPath(gDirs.start, gDirs.work);
    return gDirs.formed;
}

bool DosFileExists(const char* path) { return rt::PathExists(path); }

}  // namespace vqdos
