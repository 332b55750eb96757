// vqpack verify: every rule a packed payload follows, one line per problem found.
#include <stdio.h>

#include <string>

#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/Verify.h"

namespace vq {
namespace {

constexpr const char* kVerify = "verify";

constexpr const char* kVerifyUsage =
    "usage: vqpack verify FILE\n"
    "  Says ok only to a file both faces of the program accept: exactly the 12 entries of the\n"
    "  payload's table; the container's layout (trailer, magic, records in step with their\n"
    "  data, TotalSize, sizes below 2 GiB; in a signed file the same before the padding, a\n"
    "  zero padding and an 8-byte aligned certificate table that ends the file, TotalSize the\n"
    "  unsigned length); every \".gz\" entry one sound gzip member with CM 8, FLG 0x08, XFL 2,\n"
    "  OS 11, a stored name and matching CRC32 and ISIZE; Bios.bin the 4 MiB flash image; in a\n"
    "  signed file, bytes that are still the ones the signature's SHA-256 digest names (a SHA-1\n"
    "  digest is not checked, and ok says so; any other algorithm fails).\n"
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
        if (arg.size() > 1 && arg[0] == '-') return UsageError(kVerify, "unknown option '" + arg + "'");
        if (!path.empty()) return UsageError(kVerify, "more than one FILE given");
        path = arg;
    }
    if (path.empty()) return UsageError(kVerify, "no FILE given");

    Bytes file;
    std::string err;
    if (!ReadWholeFile(path, file, err)) return Failed(kVerify, err);
    std::string unchecked;
    const std::vector<std::string> problems = VerifyContainer(file, &unchecked);
    for (const std::string& p : problems) Failed(kVerify, path + ": " + p);
    if (!problems.empty()) return kExitFailed;
    printf("%s: ok%s%s\n", path.c_str(), unchecked.empty() ? "" : ", but ", unchecked.c_str());
    return kExitOk;
}

}  // namespace vq
