// The form unit: TForm1's construction, create and destroy events, texts and thread slots.
#include "app/Vorquint_form.h"

#include "app/WorkDir.h"
#include "base/SystemCalls.h"
#include "ui/ControlIds.h"

TForm1* Form1 = nullptr;

HANDLE ExtractThreadHandle = nullptr;
HANDLE FlashThreadHandle = nullptr;
HANDLE CleanupThreadHandle = nullptr;
HANDLE ShutdownThreadHandle = nullptr;

const char* const MsgTitle = "Vorquint";
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

// The entry point, once looked up.
vq::IsWow64ProcessFn IsWow64ProcessEntry = nullptr;

std::string ModulePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

}  // namespace

int IsWow64() {
    IsWow64ProcessEntry = vq::LookUpIsWow64Process();
    if (!IsWow64ProcessEntry) return 0;
    BOOL wow64 = FALSE;
    IsWow64ProcessEntry(GetCurrentProcess(), &wow64);
    return wow64;
}

TForm1::TForm1(HWND owner) : FStage(stStopped), FIs64BitOS(0) {
    CreateControls(owner);
    FWorkDir = vq::WorkDirOf(ModulePath());
    FStage.store(stStopped);
    FIs64BitOS = (IsWow64() != 0 || kIs64BitProcess) ? 1 : 0;
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(TObject* /*Sender*/) {
    Label_Desc.SetCaption(MsgDescription);
    Label_CurProgress.SetCaption("");
    Label_Message.SetCaption("");
}

void TForm1::FormDestroy(TObject* /*Sender*/) {
    // Null slots (no upgrade started) make these calls fail; that is harmless. Nothing waits
    // for or ends a worker: the process ends right after.
    SuspendThread(ExtractThreadHandle);
    SuspendThread(FlashThreadHandle);
    SuspendThread(CleanupThreadHandle);
    SuspendThread(ShutdownThreadHandle);
    CloseHandle(FlashThreadHandle);
    CloseHandle(ExtractThreadHandle);
    CloseHandle(CleanupThreadHandle);
    CloseHandle(ShutdownThreadHandle);
}
