// What each worker of the upgrade does, given what it needs: the steps without the chain.
#include "upgrade/UpgradeSteps.h"

#include <windows.h>

#include "payload/ExtractPayload.h"
#include "payload/SignatureCheck.h"
#include "upgrade/ProcessInfo.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/WorkDirPrepare.h"

namespace vq {

bool UnpackPayload(HANDLE exeFile, const std::string& workDir, const char* const* names,
                   uint32_t nameCount) {
    return SignedBytesMatch(exeFile) && PrepareWorkDirectory(workDir) &&
           ExtractPayload(exeFile, workDir.c_str(), names, nameCount) &&
           RunHiddenProcess(workDir, kGzipTool, kGzipCommandLine) == 0;
}

bool FlashImage(const std::string& workDir, bool is64BitOS) {
    return RunHiddenProcess(workDir, FlashToolFor(is64BitOS), FlashCommandLine().c_str()) == 0;
}

void ShutDownSystem() {
    // By full path; with no system directory known, nothing: a bare name would find a
    // shutdown.exe lying beside the executable first.
    const std::string line = ShutdownCommandLine(SystemDir());
    if (!line.empty()) {
        WinExec(line.c_str(), SW_HIDE);
    }
}

void KeepSystemAwake() {
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

}  // namespace vq
