// What each worker of the upgrade does, given what it needs: the steps without the chain.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

namespace vq {

// Refuses a signed exeFile whose bytes are not the ones signed, before anything else; then
// makes the work directory fresh (PrepareWorkDirectory), splits the container read through
// exeFile into it under names (index = entry number) and decompresses the ".gz" entries with
// the payload's gzip tool. True when every entry was written and gzip exited with 0.
bool UnpackPayload(HANDLE exeFile, const std::string& workDir, const char* const* names,
                   uint32_t nameCount);

// Runs the flash tool build for the system against the image in workDir; true on exit code 0.
bool FlashImage(const std::string& workDir, bool is64BitOS);

// Starts the system's own shutdown program (never one found beside the executable; nothing when
// the system directory is unknown).
void ShutDownSystem();

// Keeps the system from going to sleep while the calling thread runs (until it ends).
void KeepSystemAwake();

}  // namespace vq
