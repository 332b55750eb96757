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
    for (const Rename& r : kFlashFiles) rt::RenameFile(r.numbered, r.named);
    // Only a log written by this run may count.
    if (DosFileExists(kErrorLog)) {
        rt::SetAttributes(kErrorLog, 0);
        rt::DeleteFile(kErrorLog);
    }
    uint8_t status = 0;  // the interpreter's, not the flash tool's: not examined
    // An interpreter that cannot be started flashes nothing and writes no log: that is a failure.
    const bool ran = rt::RunCommandLine(kFlashCommand, status);
    for (const Rename& r : kFlashFiles) rt::RenameFile(r.named, r.numbered);
    const bool ok = ran && !DosFileExists(kErrorLog);
    rt::ChangeDir(dirs.start);
    return ok;
}

}  // namespace vqdos
