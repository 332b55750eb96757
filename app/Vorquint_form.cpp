// The form unit: TForm1's construction, create and destroy events, texts and thread slots.
#include "app/Vorquint_form.h"

#include "app/WorkDir.h"
#include "base/ProcessInfo.h"
#include "base/Product.h"
#include "base/SystemCalls.h"
#include "payload/RunningImage.h"
#include "ui/StageTable.h"
#include "upgrade/UpgradeRules.h"

TForm1* Form1 = nullptr;

HANDLE ExtractThreadHandle = nullptr;
HANDLE FlashThreadHandle = nullptr;
HANDLE CleanupThreadHandle = nullptr;
HANDLE ShutdownThreadHandle = nullptr;

const char* const MsgTitle = vq::kProgramName;
const char* const MsgDescription =
    "Upgrade your Sugarbay platform to support Ivybridge processors\n"
    "Disclaimer: Do Not abort the upgrade after starting it";
const char* const MsgConfirm =
    "Start to upgrade your Sugarbay platform?\n\n"
    "Please close all other applications & save your works.\n"
    "The system will shutdown after upgrade.";

namespace {

// A 64-bit process only runs on a 64-bit system; a 32-bit one learns it from WOW64.
#if defined(_WIN64)
constexpr bool kIs64BitProcess = true;
#else
constexpr bool kIs64BitProcess = false;
#endif

}  // namespace

int IsWow64() {
    const vq::IsWow64ProcessFn isWow64Process = vq::LookUpIsWow64Process();
    if (!isWow64Process) return 0;
    BOOL wow64 = FALSE;
    isWow64Process(GetCurrentProcess(), &wow64);
    return wow64;
}

TForm1::TForm1(HWND owner) : FStage(stStopped), FWorkDirKept(false), FIs64BitOS(0) {
    // Before anything shows: from here on the file the upgrade reads is the one that runs, and
    // nobody can swap it. Without it the upgrade ends on "Extract file failed".
    FExeFile = vq::OpenRunningImage();
    CreateControls(owner);
    // One path for the work directory and for every worker: a second, shorter query could cut a
    // long path at a parent folder and put the work directory there.
    FExeName = vq::RunningExePath();
    FWorkDir = vq::WorkDirOf(FExeName);
    FIs64BitOS = (IsWow64() != 0 || kIs64BitProcess) ? 1 : 0;
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(TObject* /*Sender*/) {
    Label_Desc.SetCaption(MsgDescription);
    Label_CurProgress.SetCaption("");
    Label_Message.SetCaption("");
}

void TForm1::DoTimer(UINT_PTR) {
    Timer1Timer(&Timer1);
    if (Destroyed()) return;
    // Windows asks before it ends a session; a restart by an update must not cut the hidden flash
    // tool off halfway through its write. The reason goes before the program's own shutdown.
    if (UpgradeRunning()) {
        // The reason is the message the window shows while the flash tool runs.
        SessionBlock.Hold(Handle(), vq::ui::StageTable[stFlashing].Message);
    } else {
        SessionBlock.Release();
    }
}

bool TForm1::UpgradeRunning() const {
    if (ExtractThreadHandle == nullptr || vq::ChainOver(FStage.load())) {
        return false;
    }
    return WaitForSingleObject(CleanupThreadHandle, 0) != WAIT_OBJECT_0;
}

void TForm1::FormDestroy(TObject* /*Sender*/) {
    // Null slots (no upgrade started) make these calls fail; that is harmless. Nothing waits
    // for or ends a worker.
    const bool workersExist = ExtractThreadHandle != nullptr;
    SuspendThread(ExtractThreadHandle);
    SuspendThread(FlashThreadHandle);
    SuspendThread(CleanupThreadHandle);
    SuspendThread(ShutdownThreadHandle);
    CloseHandle(FlashThreadHandle);
    CloseHandle(ExtractThreadHandle);
    CloseHandle(CleanupThreadHandle);
    CloseHandle(ShutdownThreadHandle);
    // A worker suspended inside the heap or the loader lock holds it for good, and the usual way
    // out (freeing the form, the runtime's exit, the DLLs' detach) waits for that lock: the
    // process would stay, invisible, for ever. Ending it here takes no lock.
    if (workersExist) {
        TerminateProcess(GetCurrentProcess(), 0);
    }
}
