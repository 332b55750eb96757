// The flash step: run the flash tool through the command interpreter and judge it by ERROR.LOG.
#include "DosSteps.h"
#include "Files.h"
#include "PayloadEntries.h"
#include "Process.h"

namespace vqdos {
namespace {

constexpr const char* kErrorLog = "ERROR.LOG";
constexpr const char* kFlashCommand = "flash -f bios.bin > output";

}  // namespace

bool DosFlash(const DosDirs& dirs) {
    if (!EnterWorkDir(dirs)) return false;
    // A file that did not take its name leaves the tool running on whatever stands under that
    // name, or not at all, and no log either way: that is a failure, and the tool does not run.
    // What gzip decompressed is what the tool reads, each under the name it knows.
    bool moved[vq::kPayloadEntryCount] = {};
    bool placed = true;
    for (uint32_t i = 0; i < vq::kPayloadEntryCount; ++i) {
        if (!vq::kPayloadEntries[i].DosInflate) continue;
        char name[kEntryNameBytes];
        FormEntryName(i, name);
        moved[i] = rt::RenameFile(name, vq::kPayloadEntries[i].DosName);
        placed = placed && moved[i];
    }
    // Only a log written by this run may count.
    if (DosFileExists(kErrorLog)) {
        rt::SetAttributes(kErrorLog, 0);
        rt::DeleteFile(kErrorLog);
    }
    uint8_t status = 0;  // the interpreter's, not the flash tool's: not examined
    // An interpreter that cannot be started flashes nothing and writes no log: that is a failure.
    const bool ran = placed && rt::RunCommandLine(kFlashCommand, status);
    for (uint32_t i = 0; i < vq::kPayloadEntryCount; ++i) {
        if (!moved[i]) continue;
        char name[kEntryNameBytes];
        FormEntryName(i, name);
        rt::RenameFile(vq::kPayloadEntries[i].DosName, name);
    }
    const bool ok = ran && !DosFileExists(kErrorLog);
    rt::ChangeDir(dirs.start);
    return ok;
}

}  // namespace vqdos
