// The extraction step: unpack the container into the work directory and decompress with gzip.
#include "DosSteps.h"
#include "Files.h"
#include "Process.h"
#include "Str.h"

namespace vqdos {
namespace {

constexpr const char* kGzipProgram = "gzip.exe";
constexpr const char* kGzipArgs[] = {"-df", "*.gz"};  // after the program name "gzip"
constexpr uint16_t kMaxWaitPasses = 65535;
constexpr const char* kEndOfList = "END_OF_LIST";
constexpr const char* kNameList[] = {"VQExt_0", "VQExt_1", "VQExt_2", "VQExt_3", "VQExt_4",  "VQExt_5",
                                     "VQExt_6", "VQExt_7", "VQExt_8", "VQExt_9", "VQExt_10", "VQExt_11",
                                     kEndOfList};

struct Rename {
    const char* from;
    const char* to;
};
constexpr Rename kBeforeGzip[] = {
    {"VQExt_1", kGzipProgram}, {"VQExt_3", "VQExt_3.gz"}, {"VQExt_4", "VQExt_4.gz"}, {"VQExt_11", "VQExt_11.gz"}};

}  // namespace

bool DosExtract(const char* exePath) {
    if (!FormDirs()) return false;
    const DosDirs& dirs = Dirs();
    // A directory left by an earlier run holds read-only files from it: clear it out so that
    // every entry is written fresh.
    if (DosFileExists(kWorkDirName)) DosCleanup();
    if (!DosFileExists(kWorkDirName)) rt::MakeDir(kWorkDirName);
    if (!DosExtractPayload(exePath, dirs.work)) return false;

    rt::ChangeDir(dirs.work);
    for (const Rename& r : kBeforeGzip) rt::RenameFile(r.from, r.to);
    uint8_t status = 0;
    if (!rt::RunProgram(kGzipProgram, kGzipArgs, 2, status) || status != 0) return false;
    rt::RenameFile(kGzipProgram, "VQExt_1");
    rt::ChangeDir(dirs.start);
    DosWaitForFiles();
    return true;
}

void DosWaitForFiles() {
    const DosDirs& dirs = Dirs();
    rt::ChangeDir(dirs.work);
    for (uint16_t pass = 0; pass < kMaxWaitPasses; ++pass) {
        bool all = true;
        for (const char* const* name = kNameList; all && !rt::StrEqual(*name, kEndOfList); ++name) all = DosFileExists(*name);
        if (all) break;
    }
    rt::ChangeDir(dirs.start);
}

}  // namespace vqdos
