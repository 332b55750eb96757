// Worker 2: runs the flash tool build that matches the system against the decompressed image.
#include "app/Vorquint_form.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/WorkerThreads.h"

DWORD WINAPI FlashThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = vq::StageOf(param);
    // A failing worker 1 suspends this thread here; it then never goes on.
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    vq::KeepSystemAwake();
    stage.store(stFlashing);

    const char* tool = vq::FlashToolFor(Form1->FIs64BitOS == 1);
    if (vq::RunHiddenProcess(Form1->FWorkDir, tool, vq::kFlashCommandLine) != 0) {
        SuspendThread(CleanupThreadHandle);
        SuspendThread(ShutdownThreadHandle);
        stage.store(stUpgradeFailed);
        return 0;
    }
    stage.store(stFlashDone);
    return 1;
}
