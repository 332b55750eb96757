// Worker 1: unpacks the payload into the hidden work directory and decompresses it with gzip.
#include "app/Vorquint_form.h"
#include "app/WorkDir.h"
#include "payload/ExtractPayload.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/WorkDirPrepare.h"
#include "upgrade/WorkerThreads.h"

DWORD WINAPI ExtractThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = vq::StageOf(param);
    vq::KeepSystemAwake();
    stage.store(stExtracting);
    const std::string& workDir = Form1->FWorkDir;
    const std::string& exePath = Form1->FExeName;

    if (vq::PrepareWorkDirectory(workDir, vq::ExeDirOf(exePath)) &&
        vq::ExtractPayload(exePath.c_str(), workDir.c_str(), PayloadFileNames) &&
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
