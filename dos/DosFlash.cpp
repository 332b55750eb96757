// The flash step: run the flash tool with its output in a file, and judge it by how it ended and
// by ERROR.LOG.
#include "base/Product.h"
#include "dos/DosSteps.h"
#include "dos/rt/Files.h"
#include "dos/rt/Process.h"
#include "payload/PayloadEntries.h"

namespace vq::dos {
namespace {

// "flash -f bios.bin > output", started directly: the interpreter's own status would not say
// whether the tool was loaded at all or stopped before its end.
constexpr const char* kFlashProgram = vq::kPayloadEntries[vq::kEntryDosFlash].DosName;
constexpr const char* kFlashArgs[] = {"-f", vq::kPayloadEntries[vq::kEntryFlashImage].DosArgName};

// True when the tool was started; how it ended is then in end.
bool RunFlashTool(rt::ChildEnd& end) {
    rt::DosFile output;
    rt::StdoutRedirect redirect;
    return output.Create(vq::kToolOutputName, 0) && redirect.To(output.Handle()) &&
           rt::RunProgram(kFlashProgram, kFlashArgs, sizeof kFlashArgs / sizeof kFlashArgs[0], end);
}

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
    if (DosFileExists(kErrorLogName)) {
        rt::SetAttributes(kErrorLogName, 0);
        rt::DeleteFile(kErrorLogName);
    }
    rt::ChildEnd end{};
    const bool started = placed && RunFlashTool(end);
    // The log is looked for where the tool was started: a tool that left us elsewhere fails here.
    const bool back = EnterWorkDir(dirs);
    for (uint32_t i = 0; back && i < vq::kPayloadEntryCount; ++i) {
        if (!moved[i]) continue;
        char name[kEntryNameBytes];
        FormEntryName(i, name);
        rt::RenameFile(vq::kPayloadEntries[i].DosName, name);
    }
    const bool ok = back && FlashSucceeded(started, end, DosFileExists(kErrorLogName));
    ReturnToStart(dirs);
    return ok;
}

}  // namespace vq::dos
