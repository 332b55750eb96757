// The form unit's thread procedures: the upgrade chain. Order comes only from waiting on the
// earlier workers' handles; a failing worker suspends the later ones, which then never run.
#include "app/WorkerThreads.h"

#include <atomic>

#include "app/Vorquint_form.h"
#include "upgrade/UpgradeRules.h"
#include "upgrade/UpgradeSteps.h"

namespace {

// The stage field behind a worker's parameter; stores are whole 32-bit values.
std::atomic<int32_t>& StageOf(LPVOID param) {
    return *static_cast<std::atomic<int32_t>*>(param);
}

}  // namespace

DWORD WINAPI ExtractThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = StageOf(param);
    vq::KeepSystemAwake();
    stage.store(stExtracting);
    if (vq::UnpackPayload(Form1->FExeFile.Get(), Form1->FWorkDir, Form1->FWorkDirHeld, PayloadFileNames,
                          vq::kPayloadEntryCount)) {
        stage.store(stExtractDone);
        return 1;
    }
    stage.store(stExtractFailed);
    SuspendThread(FlashThreadHandle);
    SuspendThread(CleanupThreadHandle);
    SuspendThread(ShutdownThreadHandle);
    return 0;
}

DWORD WINAPI FlashThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = StageOf(param);
    // A failing worker 1 suspends this thread here; it then never goes on.
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    vq::KeepSystemAwake();
    stage.store(stFlashing);
    if (!vq::RunFlashTool(Form1->FWorkDirHeld, Form1->FIs64BitOS == 1)) {
        SuspendThread(CleanupThreadHandle);
        SuspendThread(ShutdownThreadHandle);
        stage.store(stUpgradeFailed);
        return 0;
    }
    stage.store(stFlashDone);
    return 1;
}

DWORD WINAPI CleanupThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = StageOf(param);
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    WaitForSingleObject(FlashThreadHandle, INFINITE);
    vq::KeepSystemAwake();
    stage.store(stCleaning);
    // The firmware is written whatever the clean-up achieves: the user is told so, with what to
    // do next, and the upgrade goes on to its shutdown. A directory that stays (held beyond the
    // wait, something in it that cannot go, its name taken by another) is never said removed:
    // the window names it below the messages that follow. It stays hidden and writable by
    // Administrators only, and the next run removes it before it unpacks anything.
    if (!vq::CleanUp(Form1->FWorkDirHeld)) {
        Form1->FWorkDirKept.store(true);
        return 0;
    }
    stage.store(stCleanDone);
    return 1;
}

DWORD WINAPI ShutdownThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = StageOf(param);
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    WaitForSingleObject(FlashThreadHandle, INFINITE);
    WaitForSingleObject(CleanupThreadHandle, INFINITE);
    vq::KeepSystemAwake();
    Sleep(vq::kCompleteDelayMs);
    stage.store(stComplete);
    Sleep(vq::kShuttingDownDelayMs);
    stage.store(stShuttingDown);
    Sleep(vq::kShutdownDelayMs);
    vq::ShutDownSystem();
    return 1;
}
