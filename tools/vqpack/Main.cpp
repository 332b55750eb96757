// vqpack: builds, lists, verifies and extracts payload containers; places the DOS program.
#include <stdio.h>
#include <string.h>

#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: vqpack COMMAND ...\n"
    "\n"
    "  build    --image IMAGE --out FILE [OPTION]... ENTRY...\n"
    "           append a payload container to IMAGE (entries 1 to 11 in order)\n"
    "  list     FILE [--json]            show the container's entries\n"
    "  verify   FILE                     ok only for a package both faces accept\n"
    "  extract  FILE DIR [--numbered]    write each entry to a file in DIR\n"
    "  stub     DOSPROG PE_IN PE_OUT     place the DOS program into a linked image\n"
    "\n"
    "'vqpack COMMAND --help' explains one command. Exit codes: 0 done, 1 failed, 2 usage.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return vq::UsageError(nullptr, "no command given");
    const char* cmd = argv[1];
    if (vq::IsHelp(cmd)) {
        fputs(kUsage, stdout);
        return vq::kExitOk;
    }
    if (strcmp(cmd, "build") == 0) return vq::RunBuildCommand(argc - 1, argv + 1);
    if (strcmp(cmd, "list") == 0) return vq::RunListCommand(argc - 1, argv + 1);
    if (strcmp(cmd, "verify") == 0) return vq::RunVerifyCommand(argc - 1, argv + 1);
    if (strcmp(cmd, "extract") == 0) return vq::RunExtractCommand(argc - 1, argv + 1);
    if (strcmp(cmd, "stub") == 0) return vq::RunStubCommand(argc - 1, argv + 1);
    return vq::UsageError(nullptr, std::string("unknown command '") + cmd + "'");
}
