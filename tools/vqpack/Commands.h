// vqpack's subcommands. Each takes its own argv (argv[0] = the subcommand's name) and returns
// the process exit code: 0 done, 1 failed, 2 usage error.
#pragma once

#include <string>

namespace vq {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunListCommand(int argc, char** argv);
int RunVerifyCommand(int argc, char** argv);
int RunExtractCommand(int argc, char** argv);
int RunBuildCommand(int argc, char** argv);

// Prints "vqpack: <what>" and the subcommand's usage line to stderr; returns kExitUsage.
int UsageError(const char* usage, const std::string& what);

bool IsHelp(const char* arg);

}  // namespace vq
