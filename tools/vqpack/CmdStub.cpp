// vqpack stub: places the DOS program into a linked Windows image.
#include <stdio.h>

#include <string>

#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/Stub.h"

namespace vq {
namespace {

// The layout's numbers as the build spelled them.
#define VQ_SPELLED(x) VQ_SPELLED_(x)
#define VQ_SPELLED_(x) #x

constexpr const char* kStubUsage =
    "usage: vqpack stub DOSPROG PE_IN PE_OUT\n"
    "  Writes PE_OUT: the Windows image PE_IN with DOSPROG (a DOS MZ program of at most "
    VQ_SPELLED(VQ_PE_HEADER_OFFSET) "\n"
    "  bytes) as its MS-DOS stub and the PE headers at file offset " VQ_SPELLED(VQ_PE_HEADER_OFFSET)
    ". PE_IN must be linked\n"
    "  with -Wl,--section-start=.text=<image base + " VQ_SPELLED(VQ_TEXT_RVA)
    ">, carry no certificate table and no\n"
    "  payload container yet. PE_OUT is written whole or not at all.\n";

}  // namespace

int RunStubCommand(int argc, char** argv) {
    if (argc == 2 && IsHelp(argv[1])) {
        fputs(kStubUsage, stdout);
        return kExitOk;
    }
    if (argc != 4) return UsageError(kStubUsage, "stub takes DOSPROG PE_IN PE_OUT");
    Bytes dos, pe, out;
    std::string err;
    if (!ReadWholeFile(argv[1], dos, err) || !ReadWholeFile(argv[2], pe, err)) {
        fprintf(stderr, "vqpack stub: %s\n", err.c_str());
        return kExitFailed;
    }
    if (!PlaceDosProgram(dos, pe, out, err)) {
        fprintf(stderr, "vqpack stub: %s: %s\n", argv[2], err.c_str());
        return kExitFailed;
    }
    if (!WriteFileAtomic(argv[3], out, err)) {
        fprintf(stderr, "vqpack stub: %s\n", err.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace vq
