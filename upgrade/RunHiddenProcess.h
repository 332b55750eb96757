// Runs one tool of the payload hidden, in the work directory, and waits for its exit code.
#pragma once

#include <stdint.h>

#include <string>

namespace vq {

// Makes workDir the process's current directory (the workers after this one rely on that),
// starts applicationName (a bare name, so the copy in the work directory) with commandLine,
// waits without a time limit and returns its exit code; kToolNotRun when it could not be
// started. The child's handles are closed before returning.
uint32_t RunHiddenProcess(const std::string& workDir, const char* applicationName,
                          const char* commandLine);

}  // namespace vq
