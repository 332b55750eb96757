// What every vqpack subcommand shares on its command line: the exit codes, --help and reporting.
#include "tools/vqpack/CommandLine.h"

#include <stdio.h>
#include <string.h>

namespace vq {

bool IsHelp(const char* arg) { return strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0; }

int UsageError(const char* command, const std::string& what) {
    const std::string who = command ? std::string("vqpack ") + command : "vqpack";
    fprintf(stderr, "%s: %s\nTry '%s --help'.\n", who.c_str(), what.c_str(), who.c_str());
    return kExitUsage;
}

int Failed(const char* command, const std::string& what) {
    fprintf(stderr, "vqpack %s: %s\n", command, what.c_str());
    return kExitFailed;
}

}  // namespace vq
