// Runs one tool of the payload hidden, in the work directory, and waits for its exit code.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

#include "upgrade/HoldBackoff.h"

namespace vq {

// Starts workDir\applicationName (by its full path: never a tool of that name found elsewhere)
// with commandLine and workDir as its current directory, waits without a time limit and returns
// its exit code; kToolNotRun when it could not be started. What it prints on standard output
// and error goes to `output` (appended; null: nowhere), the one handle the tool inherits. The
// child's handles are closed before returning.
uint32_t RunHiddenProcess(const std::wstring& workDir, const char* applicationName, const char* commandLine,
                          HANDLE output);

// Waits, while `hold` lasts, until no process a tool started (the tool or anything it started
// in turn) still runs; true once none does, or when the system keeps no account of them.
bool ToolsEnded(HoldBackoff& hold);

}  // namespace vq
