// What every vqpack subcommand shares on its command line: the exit codes, --help and the usage
// error.
#pragma once

#include <string>

namespace vq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

bool IsHelp(const char* arg);

// Prints "vqpack: <what>" and the subcommand's usage line to stderr; returns kExitUsage.
int UsageError(const char* usage, const std::string& what);

}  // namespace vq
