// The form unit: the main window class TForm1, its shared state, texts and worker thread slots.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <atomic>
#include <string>

#include "base/UpgradeStage.h"
#include "base/WinHandle.h"
#include "payload/PayloadEntries.h"
#include "ui/Controls.h"
#include "ui/SessionBlock.h"
#include "upgrade/WorkDirectory.h"

using vq::ui::TObject;

class TForm1 : public vq::ui::TForm {
public:
    explicit TForm1(HWND owner);
    ~TForm1() override;

    // Controls, in declaration order.
    vq::ui::TOpenDialog OpenDialog1;
    vq::ui::TLabel Label_Title;
    vq::ui::TLabel Label_Desc;
    vq::ui::TBitBtn BitBtn_Upgrade;
    vq::ui::TProgressBar ProgressBar;
    vq::ui::TTimer Timer1;
    vq::ui::TLabel Label_Percentage;
    vq::ui::TLabel Label_Message;
    vq::ui::TLabel Label_CurProgress;
    vq::ui::TBevel Bevel_Separator;
    // State shared with the workers. FStage is one aligned 32-bit value, stored whole by one
    // worker at a time and read by the timer; the workers get its address as their parameter.
    std::atomic<int32_t> FStage;
    std::wstring FExeName;               // the running executable's full path, taken once
    vq::UniqueHandle FExeFile;           // the running executable, held unwritable and unmovable
    std::wstring FWorkDir;               // without a trailing "\"
    // The work directory itself, held from worker 1's creation to worker 3's removal; worker 1
    // fills it before workers 2 and 3 (which wait for worker 1's end) use it.
    vq::WorkDirectory FWorkDirHeld;
    // Set by worker 3, before it ends, when the work directory could not be removed; read by the
    // timer, which then names it below every message that follows.
    std::atomic<bool> FWorkDirKept;
    uint8_t FIs64BitOS;                  // 1 on 64-bit Windows

    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void BitBtn_UpgradeClick(TObject* Sender);

    // Worker starters.
    void StartExtractThread();
    void StartFlashThread();
    void StartCleanupThread();
    void StartShutdownThread();

protected:
    void DoCreate() override { FormCreate(this); }
    void DoDestroy() override { FormDestroy(this); }
    void DoTimer(UINT_PTR) override;
    void DoCommand(int id, int code) override;
    HBRUSH DoCtlColor(HDC dc, HWND control) override;
    bool DoQueryEndSession() override { return !UpgradeRunning(); }
    bool DoCloseQuery() override;

private:
    // Builds the window and its controls in their creation order.
    void CreateControls(HWND owner);
    // From the confirmation until the chain failed or its clean-up is done.
    bool UpgradeRunning() const;
    // Shown by Windows beside the program while a session's end waits for it.
    vq::ui::TSessionBlock SessionBlock;
};

extern TForm1* Form1;

// Worker thread slots: null until the upgrade starts, each filled once.
extern HANDLE ExtractThreadHandle;
extern HANDLE FlashThreadHandle;
extern HANDLE CleanupThreadHandle;
extern HANDLE ShutdownThreadHandle;

// Texts of the form unit.
extern const char* const MsgTitle;
extern const char* const MsgDescription;
extern const char* const MsgConfirm;

// Entry names of the payload, index = entry number.
inline constexpr const auto& PayloadFileNames = vq::kPayloadFileNames;

// Nonzero when the process runs under WOW64 (IsWow64Process looked up at run time).
int IsWow64();
