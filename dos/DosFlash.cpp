// The flash step: run the flash tool through the command interpreter and judge it by ERROR.LOG.
#include "DosSteps.h"
#include "Files.h"
#include "Process.h"

namespace vqdos {
namespace {

constexpr const char* kErrorLog = "ERROR.LOG";
constexpr const char* kFlashCommand = "flash -f bios.bin > output";

struct Rename {
    const char* numbered;
    const char* named;
};
constexpr Rename kFlashFiles[] = {{"VQExt_3", "fparts.txt"}, {"VQExt_4", "flash.exe"}, {"VQExt_11", "Bios.bin"}};

}  // namespace

bool DosFlash() {
    const DosDirs& dirs = Dirs();
    rt::ChangeDir(dirs.work);
    // A file that did not take its name leaves the tool running on whatever stands under that
    // name, or not at all, and no log either way: that is a failure, and the tool does not run.
    constexpr uint32_t kFiles = sizeof kFlashFiles / sizeof kFlashFiles[0];
    bool moved[kFiles];
    bool placed = true;
    for (uint32_t i = 0; i < kFiles; ++i) {
        moved[i] = rt::RenameFile(kFlashFiles[i].numbered, kFlashFiles[i].named);
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
    for (uint32_t i = 0; i < kFiles; ++i)
        if (moved[i]) rt::RenameFile(kFlashFiles[i].named, kFlashFiles[i].numbered);
    const bool ok = ran && !DosFileExists(kErrorLog);
    rt::ChangeDir(dirs.start);
    return ok;
}

}  // namespace vqdos
