// The steps of the DOS upgrade and the directories they are handed.
#pragma once

#include "dos/DosLogic.h"
#include "dos/DosWorkFiles.h"

namespace vq::dos {

// The starting drive and directory (returned to after each step) and the work directory below it.
struct DosDirs {
    uint8_t drive;  // 0 = A
    char start[kPathBytes];
    char work[kPathBytes];
};
// Reads the starting directory and forms the work directory's path below it.
bool FormDirs(DosDirs& dirs);

bool DosFileExists(const char* path);
// Only a directory may serve as the work directory: a file under its name is not ours to list.
bool DosDirExists(const char* path);
// Makes the starting drive and the work directory current, and checks that they are: every bare
// name a step lists, deletes or tests must reach the work directory. False when the work directory
// is not a directory or is not current afterwards. A child program may have left another drive
// current, or another directory current on ours, so each step enters afresh after a child ends.
bool EnterWorkDir(const DosDirs& dirs);
// Makes the starting drive and directory current again.
void ReturnToStart(const DosDirs& dirs);

// False when a work directory left by an earlier run holds anything but plain files, or holds the
// running program: such a leftover is refused, untouched.
bool DosLeftoverMayBeEmptied(const char* exePath, const DosDirs& dirs);
bool DosExtract(const char* exePath, const DosDirs& dirs);
bool DosExtractPayload(const char* exePath, const char* destDir);
void DosWaitForFiles(const DosDirs& dirs);
bool DosFlash(const DosDirs& dirs);
// True only when the work directory is gone.
bool DosCleanup(const DosDirs& dirs);
void DosPowerOff();

}  // namespace vq::dos
