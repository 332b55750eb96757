// vqpack extract: each entry of a container as a file, named as either program names it.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "payload/PayloadEntries.h"
#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/ContainerView.h"
#include "tools/vqpack/FileIo.h"

namespace vq {
namespace {

constexpr const char* kExtractUsage =
    "usage: vqpack extract FILE DIR [--numbered]\n"
    "  Writes entry i of FILE's container into DIR (created if missing) under the Windows\n"
    "  program's name for it (entry 0 is the image, \"Vorquint.exe\"), or with --numbered as\n"
    "  VQExt_0 .. VQExt_<N-1> like the DOS program. Existing files are replaced.\n";

}  // namespace

int RunExtractCommand(int argc, char** argv) {
    std::string paths[2];
    int pathCount = 0;
    bool numbered = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kExtractUsage, stdout);
            return kExitOk;
        }
        if (arg == "--numbered")
            numbered = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError(kExtractUsage, "unknown option '" + arg + "'");
        else if (pathCount == 2)
            return UsageError(kExtractUsage, "too many arguments");
        else
            paths[pathCount++] = arg;
    }
    if (pathCount != 2) return UsageError(kExtractUsage, "FILE and DIR are both needed");

    Bytes file;
    ContainerView view;
    std::string err;
    if (!LoadContainerFile(paths[0], file, view, err)) {
        fprintf(stderr, "vqpack extract: %s\n", err.c_str());
        return kExitFailed;
    }
    if (!numbered && view.Extents.size() > kPayloadEntryCount) {
        fprintf(stderr, "vqpack extract: %s: %zu entries but only %u names; use --numbered\n",
                paths[0].c_str(), view.Extents.size(), kPayloadEntryCount);
        return kExitFailed;
    }
    std::error_code ec;
    std::filesystem::create_directories(paths[1], ec);
    if (ec) {
        fprintf(stderr, "vqpack extract: %s: %s\n", paths[1].c_str(), ec.message().c_str());
        return kExitFailed;
    }
    for (uint32_t i = 0; i < view.Extents.size(); ++i) {
        const std::string name = numbered ? kDosEntryNamePrefix + std::to_string(i) : kPayloadFileNames[i];
        const std::string out = (std::filesystem::path(paths[1]) / name).string();
        const TPayloadEntry& e = view.Extents[i];
        if (!WriteFileAtomic(out, file.data() + e.Offset, e.Length, err)) {
            fprintf(stderr, "vqpack extract: %s\n", err.c_str());
            return kExitFailed;
        }
    }
    printf("%zu files written to %s\n", view.Extents.size(), paths[1].c_str());
    return kExitOk;
}

}  // namespace vq
