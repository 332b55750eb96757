// What every vqpack subcommand shares on its command line: the exit codes, --help, and how it
// reports: every line on stderr starts "vqpack COMMAND: ".
#pragma once

#include <string>

#include "tools/vqpack/Wording.h"

namespace vq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

bool IsHelp(const char* arg);

// Prints "vqpack COMMAND: <what>" and one line pointing to COMMAND's --help; returns
// kExitUsage. command is nullptr for vqpack itself.
int UsageError(const char* command, const std::string& what);

// Prints "vqpack COMMAND: <what>"; returns kExitFailed.
int Failed(const char* command, const std::string& what);

}  // namespace vq
