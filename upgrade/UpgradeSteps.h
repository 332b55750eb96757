// What each worker of the upgrade does, given what it needs: the steps without the chain.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

#include "upgrade/WorkDirectory.h"

namespace vq {

// Refuses a signed exeFile whose bytes are not the ones signed, before anything else; then
// makes workDir fresh and holds it in `work` (WorkDirectory::Prepare), splits the container read
// through exeFile into it under names (index = entry number), each file new, and decompresses the
// ".gz" entries with the payload's gzip tool, its printing going to the work directory's
// "output". True when every entry was written and gzip exited with 0.
bool UnpackPayload(HANDLE exeFile, const std::wstring& workDir, WorkDirectory& work,
                   const char* const* names, uint32_t nameCount);

// Runs the flash tool build for the system against the image in the held work directory, its
// printing appended to "output"; true on exit code 0.
bool RunFlashTool(WorkDirectory& work, bool is64BitOS);

// Once every tool's process has ended, empties and removes the held work directory, waiting out
// others' passing holds within kCleanHoldBoundMs in all; true when it is marked for deletion.
bool CleanUp(WorkDirectory& work);

// Starts the system's own shutdown program by its full path, hidden (never one found beside the
// executable; nothing when the system directory is unknown).
void ShutDownSystem();

// Keeps the system from going to sleep while the calling thread runs (until it ends).
void KeepSystemAwake();

}  // namespace vq
