// vqpack stub: places the DOS program into a linked Windows image.
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/Stub.h"

namespace vq {
namespace {

// The layout's numbers as the build spelled them.
#define VQ_SPELLED(x) VQ_SPELLED_(x)
#define VQ_SPELLED_(x) #x

constexpr const char* kStub = "stub";

constexpr const char* kStubUsage =
    "usage: vqpack stub DOSPROG PE_IN PE_OUT [--force]\n"
    "  Writes PE_OUT: the Windows image PE_IN with DOSPROG (a DOS MZ program of at most "
    VQ_SPELLED(VQ_PE_HEADER_OFFSET) "\n"
    "  bytes) as its MS-DOS stub and the PE headers at file offset " VQ_SPELLED(VQ_PE_HEADER_OFFSET)
    ". PE_IN must be linked\n"
    "  with -Wl,--section-start=.text=<image base + " VQ_SPELLED(VQ_TEXT_RVA)
    ">, carry no certificate table and no\n"
    "  payload container yet. PE_OUT is written whole or not at all, and never over DOSPROG or\n"
    "  PE_IN; an existing read-only PE_OUT is replaced only with --force.\n";

}  // namespace

int RunStubCommand(int argc, char** argv) {
    std::vector<std::string> paths;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kStubUsage, stdout);
            return kExitOk;
        }
        if (arg == "--force")
            force = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError(kStub, "unknown option '" + arg + "'");
        else
            paths.push_back(arg);
    }
    if (paths.size() != 3) return UsageError(kStub, "stub takes DOSPROG PE_IN PE_OUT");
    const std::string &dosPath = paths[0], &pePath = paths[1], &outPath = paths[2];
    std::vector<InputFile> inputs(2);
    std::string err;
    if (!StatInput(dosPath, inputs[0], err) || !StatInput(pePath, inputs[1], err) ||
        !CheckOutput(outPath, inputs, force, err))
        return Failed(kStub, err);
    Bytes dos, pe, out;
    if (!ReadWholeFile(dosPath, dos, err) || !ReadWholeFile(pePath, pe, err)) return Failed(kStub, err);
    if (!CheckDosProgram(dos, err)) return Failed(kStub, dosPath + ": " + err);
    if (!PlaceDosProgram(dos, pe, out, err)) return Failed(kStub, pePath + ": " + err);
    if (!WriteFileAtomic(outPath, out, err)) return Failed(kStub, err);
    return kExitOk;
}

}  // namespace vq
