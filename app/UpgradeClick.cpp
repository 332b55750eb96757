// The upgrade button: confirmation, then the four workers of the chain and the greyed button.
#include "app/Vorquint_form.h"
#include "app/WorkerThreads.h"
#include "ui/Colors.h"

namespace {

constexpr UINT kConfirmFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;  // 0x124
static_assert(kConfirmFlags == 0x124);

// True while the confirmation box is open: a click that arrives meanwhile opens no second box.
bool confirming = false;

// One upgrade per run. A posted click reaches even a disabled button, so the refusal rests on
// this, not on how the button looks.
bool UpgradeStarted() {
    return ExtractThreadHandle != nullptr;
}

// Creates one worker, suspended: nothing runs until every worker's handle is in its slot, so a
// failing worker always finds the later ones to suspend. No thread, no upgrade: the program ends.
HANDLE CreateWorker(LPTHREAD_START_ROUTINE proc, std::atomic<int32_t>* stage) {
    HANDLE thread = CreateThread(nullptr, 0, proc, stage, CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        ExitProcess(0);
    }
    return thread;
}

}  // namespace

void TForm1::BitBtn_UpgradeClick(TObject* /*Sender*/) {
    if (confirming || UpgradeStarted()) {
        return;
    }
    confirming = true;
    const int answer = MessageBoxA(Handle(), MsgConfirm, MsgTitle, kConfirmFlags);
    confirming = false;
    // Only a clear Yes starts a flash: a box that could not be shown, or one that went with a
    // window closed meanwhile, is no consent, and nobody would see the upgrade run.
    if (answer != IDYES || Destroyed()) {
        return;
    }
    StartExtractThread();
    StartFlashThread();
    StartCleanupThread();
    StartShutdownThread();
    ResumeThread(ExtractThreadHandle);
    ResumeThread(FlashThreadHandle);
    ResumeThread(CleanupThreadHandle);
    ResumeThread(ShutdownThreadHandle);
    EnableWindow(BitBtn_Upgrade.Handle(), FALSE);
    BitBtn_Upgrade.SetFontColor(vq::ui::clMedGray);
}

void TForm1::StartExtractThread() {
    ExtractThreadHandle = CreateWorker(ExtractThreadProc, &FStage);
}

void TForm1::StartFlashThread() {
    FlashThreadHandle = CreateWorker(FlashThreadProc, &FStage);
}

void TForm1::StartCleanupThread() {
    CleanupThreadHandle = CreateWorker(CleanupThreadProc, &FStage);
}

void TForm1::StartShutdownThread() {
    ShutdownThreadHandle = CreateWorker(ShutdownThreadProc, &FStage);
}
