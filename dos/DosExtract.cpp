// The extraction step: unpack the container into the work directory and decompress with gzip.
#include "dos/DosSteps.h"
#include "dos/rt/Files.h"
#include "dos/rt/Process.h"
#include "dos/rt/Str.h"
#include "payload/PayloadEntries.h"

namespace vq::dos {
namespace {

constexpr const char* kGzipProgram = vq::kPayloadEntries[vq::kEntryDosGzip].DosName;
constexpr const char* kGzipArgs[] = {"-df", "*.gz"};  // after the program name "gzip"
constexpr uint16_t kMaxWaitPasses = 65535;

// gzip under its own name, and every entry it is to decompress under the suffix it takes. An
// entry that keeps its number alone is passed over by gzip, which still ends with 0, and would
// reach the flash tool compressed: so the first name not taken fails the step.
bool NameForGzip() {
    char name[kEntryNameBytes];
    FormEntryName(vq::kEntryDosGzip, name);
    if (!rt::RenameFile(name, kGzipProgram)) return false;
    for (uint32_t i = 0; i < vq::kPayloadEntryCount; ++i) {
        if (!vq::kPayloadEntries[i].DosInflate) continue;
        char gz[kGzipEntryNameBytes];
        FormEntryName(i, name);
        FormGzipEntryName(i, gz);
        if (!rt::RenameFile(name, gz)) return false;
    }
    return true;
}

}  // namespace

bool DosExtract(const char* exePath, const DosDirs& dirs) {
    // A directory left by an earlier run, and found to hold plain files only: clear it out so that
    // every entry is written fresh.
    if (DosDirExists(kWorkDirName) && !DosCleanup(dirs)) return false;
    // A file under the work directory's name stays as it is, and nothing is written.
    if (!DosDirExists(kWorkDirName) && !rt::MakeDir(kWorkDirName)) return false;
    if (!DosExtractPayload(exePath, dirs.work)) return false;

    if (!EnterWorkDir(dirs) || !NameForGzip()) return false;
    rt::ChildEnd end{};
    const bool started = rt::RunProgram(kGzipProgram, kGzipArgs, sizeof kGzipArgs / sizeof kGzipArgs[0], end);
    if (!ToolSucceeded(started, end) || !EnterWorkDir(dirs)) return false;
    char name[kEntryNameBytes];
    FormEntryName(vq::kEntryDosGzip, name);
    rt::RenameFile(kGzipProgram, name);
    ReturnToStart(dirs);
    DosWaitForFiles(dirs);
    return true;
}

void DosWaitForFiles(const DosDirs& dirs) {
    if (!EnterWorkDir(dirs)) return;
    for (uint16_t pass = 0; pass < kMaxWaitPasses; ++pass) {
        bool all = true;
        for (uint32_t i = 0; all && i < vq::kPayloadEntryCount; ++i) {
            char name[kEntryNameBytes];
            FormEntryName(i, name);
            all = DosFileExists(name);
        }
        if (all) break;
    }
    ReturnToStart(dirs);
}

}  // namespace vq::dos
