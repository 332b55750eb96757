// Worker 3: after a successful flash, removes the work directory and everything in it.
#include "app/Vorquint_form.h"
#include "app/WorkDir.h"
#include "upgrade/WorkDirCleanup.h"
#include "upgrade/WorkerThreads.h"

DWORD WINAPI CleanupThreadProc(LPVOID param) {
    std::atomic<int32_t>& stage = vq::StageOf(param);
    WaitForSingleObject(ExtractThreadHandle, INFINITE);
    WaitForSingleObject(FlashThreadHandle, INFINITE);
    vq::KeepSystemAwake();
    stage.store(stCleaning);

    // A work directory gone missing means something else is at work: no shutdown then.
    if (!vq::CleanWorkDirectory(Form1->FWorkDir, vq::ExeDirOf(Form1->FExeName))) {
        SuspendThread(ShutdownThreadHandle);
        return 0;
    }
    stage.store(stCleanDone);
    return 1;
}
