// What every vqpack subcommand shares on its command line: the exit codes, --help and the usage
// error.
#include "tools/vqpack/CommandLine.h"

#include <stdio.h>
#include <string.h>

namespace vq {

bool IsHelp(const char* arg) { return strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0; }

int UsageError(const char* usage, const std::string& what) {
    fprintf(stderr, "vqpack: %s\n%s", what.c_str(), usage);
    return kExitUsage;
}

}  // namespace vq
