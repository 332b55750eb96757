// The steps of the DOS upgrade and the directories they are handed.
#pragma once

#include "DosLogic.h"

namespace vqdos {

// The starting directory (returned to after each step) and the work directory below it.
struct DosDirs {
    char start[kPathBytes];
    char work[kPathBytes];
};
// Reads the starting directory and forms the work directory's path below it.
bool FormDirs(DosDirs& dirs);

bool DosFileExists(const char* path);
// Only a directory may serve as the work directory: a file under its name is not ours to list.
bool DosDirExists(const char* path);
// Makes the work directory current; false, with nothing changed, when it is not a directory.
bool EnterWorkDir(const DosDirs& dirs);

bool DosExtract(const char* exePath, const DosDirs& dirs);
bool DosExtractPayload(const char* exePath, const char* destDir);
void DosWaitForFiles(const DosDirs& dirs);
bool DosFlash(const DosDirs& dirs);
bool DosCleanup(const DosDirs& dirs);
void DosPowerOff();

}  // namespace vqdos
