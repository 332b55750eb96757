// vqpack's subcommands. Each takes its own argv (argv[0] = the subcommand's name) and returns
// the process exit code (CommandLine.h).
#pragma once

namespace vq {

int RunListCommand(int argc, char** argv);
int RunVerifyCommand(int argc, char** argv);
int RunExtractCommand(int argc, char** argv);
int RunBuildCommand(int argc, char** argv);
int RunStubCommand(int argc, char** argv);

}  // namespace vq
