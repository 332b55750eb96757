// Worker 1: unpacks the payload into the hidden work directory and decompresses it with gzip.
#include "app/Vorquint_form.h"
#include "payload/ExtractPayload.h"
#include "upgrade/ProcessInfo.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/WorkerThreads.h"

DWORD WINAPI ExtractThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = vq::StageOf(param);
    vq::KeepSystemAwake();
    stage.store(stExtracting);
    const std::string& workDir = Form1->FWorkDir;

    // Both may fail harmlessly, e.g. for a directory an earlier failed run left behind.
    CreateDirectoryA(workDir.c_str(), nullptr);
    SetFileAttributesA(workDir.c_str(), FILE_ATTRIBUTE_HIDDEN);

    const std::string exePath = vq::RunningExePath();
    if (vq::ExtractPayload(exePath.c_str(), workDir.c_str(), PayloadFileNames) &&
        vq::RunHiddenProcess(workDir, vq::kGzipTool, vq::kGzipCommandLine) == 0) {
        stage.store(stExtractDone);
        return 1;
    }
    stage.store(stExtractFailed);
    SuspendThread(FlashThreadHandle);
    SuspendThread(CleanupThreadHandle);
    SuspendThread(ShutdownThreadHandle);
    return 0;
}
