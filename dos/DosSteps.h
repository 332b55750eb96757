// The steps of the DOS upgrade and the directories they share.
#pragma once

#include "DosLogic.h"

namespace vqdos {

// The starting directory (returned to after each step) and the work directory below it.
struct DosDirs {
    char start[kPathBytes];
    char work[kPathBytes];
    bool formed;  // both paths are valid
};
DosDirs& Dirs();
// Reads the starting directory and forms the work directory's path.
bool FormDirs();

bool DosFileExists(const char* path);
bool DosExtract(const char* exePath);
bool DosExtractPayload(const char* exePath, const char* destDir);
void DosWaitForFiles();
bool DosFlash();
bool DosCleanup();
void DosPowerOff();

}  // namespace vqdos
