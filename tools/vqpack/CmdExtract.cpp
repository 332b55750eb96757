// vqpack extract: each entry of a container as a file, named as either program names it.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "payload/PayloadEntries.h"
#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/ContainerView.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/GzipMember.h"

namespace vq {
namespace {

constexpr const char* kExtract = "extract";

constexpr const char* kExtractUsage =
    "usage: vqpack extract FILE DIR [--numbered] [--force]\n"
    "  Writes entry i of FILE's container into DIR (created if missing) under the Windows\n"
    "  program's name for it (entry 0 is the image, \"Vorquint.exe\"), or with --numbered as\n"
    "  VQExt_0 .. VQExt_<N-1> like the DOS program. Every \".gz\" entry is checked as verify\n"
    "  checks it first: a damaged one fails the command and nothing is written. Existing files\n"
    "  are replaced, but never FILE itself, and a read-only one only with --force.\n";

}  // namespace

int RunExtractCommand(int argc, char** argv) {
    std::string paths[2];
    int pathCount = 0;
    bool numbered = false, force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kExtractUsage, stdout);
            return kExitOk;
        }
        if (arg == "--numbered")
            numbered = true;
        else if (arg == "--force")
            force = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError(kExtract, "unknown option '" + arg + "'");
        else if (pathCount == 2)
            return UsageError(kExtract, "too many arguments");
        else
            paths[pathCount++] = arg;
    }
    if (pathCount != 2) return UsageError(kExtract, "FILE and DIR are both needed");

    std::vector<InputFile> input(1);
    Bytes file;
    ContainerView view;
    std::string err;
    if (!StatInput(paths[0], input[0], err) || !LoadContainerFile(paths[0], file, view, err))
        return Failed(kExtract, err);
    if (!numbered && view.Extents.size() > kPayloadEntryCount)
        return Failed(kExtract, paths[0] + ": " + CountOf(view.Extents.size(), "entry", "entries") + " but only " +
                                    std::to_string(kPayloadEntryCount) + " names; use --numbered");
    // What the program would find damaged only when gzip runs is refused here before any file
    // exists, so that no damaged member ever stands under its name.
    bool damaged = false;
    for (uint32_t i = 1; i < view.Extents.size() && i < kPayloadEntryCount; ++i) {
        if (!kPayloadEntries[i].Gzip) continue;
        const TPayloadEntry& e = view.Extents[i];
        GzipContents contents;
        for (const std::string& p : CheckGzipMember(file.data() + e.Offset, e.Length, contents)) {
            Failed(kExtract, paths[0] + ": entry " + std::to_string(i) + " (" + kPayloadFileNames[i] + "): " + p);
            damaged = true;
        }
    }
    if (damaged) return Failed(kExtract, "nothing written");
    std::vector<std::string> outs;
    for (uint32_t i = 0; i < view.Extents.size(); ++i) {
        const std::string name = numbered ? kDosEntryNamePrefix + std::to_string(i) : kPayloadFileNames[i];
        outs.push_back((std::filesystem::path(paths[1]) / name).string());
        if (!CheckOutput(outs.back(), input, force, err)) return Failed(kExtract, err);
    }
    std::error_code ec;
    std::filesystem::create_directories(paths[1], ec);
    if (ec) return Failed(kExtract, paths[1] + ": " + ec.message());
    for (uint32_t i = 0; i < view.Extents.size(); ++i) {
        const TPayloadEntry& e = view.Extents[i];
        if (!WriteFileAtomic(outs[i], file.data() + e.Offset, e.Length, err)) return Failed(kExtract, err);
    }
    printf("%s written to %s\n", CountOf(view.Extents.size(), "file", "files").c_str(), paths[1].c_str());
    return kExitOk;
}

}  // namespace vq
