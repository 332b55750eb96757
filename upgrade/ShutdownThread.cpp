// Worker 4: after the clean-up, shows the last two stages and shuts the computer down.
#include "app/Vorquint_form.h"
#include "upgrade/ProcessInfo.h"
#include "upgrade/SystemShutdown.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/WorkerThreads.h"

DWORD WINAPI ShutdownThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = vq::StageOf(param);
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    WaitForSingleObject(FlashThreadHandle, INFINITE);
    WaitForSingleObject(CleanupThreadHandle, INFINITE);
    vq::KeepSystemAwake();

    Sleep(vq::kCompleteDelayMs);
    stage.store(stComplete);
    Sleep(vq::kShuttingDownDelayMs);
    stage.store(stShuttingDown);
    Sleep(vq::kShutdownDelayMs);
    vq::RunShutdownCommand(vq::SystemDir());
    return 1;
}
