// vqpack verify: every rule a packed payload follows, one line per problem found.
#include <stdio.h>

#include <string>

#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/Verify.h"

namespace vq {
namespace {

constexpr const char* kVerifyUsage =
    "usage: vqpack verify FILE\n"
    "  Checks the container's layout (trailer, magic, records in step with their data,\n"
    "  TotalSize, at most 12 entries, sizes below 2 GiB; in a signed file the same before the\n"
    "  padding, a zero padding and an 8-byte aligned certificate table that ends the file,\n"
    "  TotalSize the unsigned length), that every \".gz\" entry is one\n"
    "  sound gzip member with CM 8, FLG 0x08, XFL 2, OS 11, a stored name and matching CRC32\n"
    "  and ISIZE, and for a full payload that Bios.bin unpacks to the 4 MiB flash image.\n"
    "  Exit 0 when all hold, 1 with one line per problem on stderr.\n";

}  // namespace

int RunVerifyCommand(int argc, char** argv) {
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kVerifyUsage, stdout);
            return kExitOk;
        }
        if (arg.size() > 1 && arg[0] == '-') return UsageError(kVerifyUsage, "unknown option '" + arg + "'");
        if (!path.empty()) return UsageError(kVerifyUsage, "more than one FILE given");
        path = arg;
    }
    if (path.empty()) return UsageError(kVerifyUsage, "no FILE given");

    Bytes file;
    std::string err;
    if (!ReadWholeFile(path, file, err)) {
        fprintf(stderr, "vqpack verify: %s\n", err.c_str());
        return kExitFailed;
    }
    const std::vector<std::string> problems = VerifyContainer(file);
    for (const std::string& p : problems) fprintf(stderr, "%s: %s\n", path.c_str(), p.c_str());
    if (!problems.empty()) return kExitFailed;
    printf("%s: ok\n", path.c_str());
    return kExitOk;
}

}  // namespace vq
