// The main form built in-process: its state, texts and controls before the first tick.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/Vorquint_form.h"
#include "app/WorkDir.h"
#include "base/ProcessInfo.h"
#include "base/Product.h"
#include "res/ResourceIds.h"
#include "ui/Application.h"
#include "ui/FormIds.h"

namespace {

std::string TextOf(HWND hwnd) {
    char buf[512] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app_ = new vq::ui::TApplication;
        ASSERT_TRUE(app_->Initialize(vq::kIdiMain));
        app_->SetTitle(vq::kProductName);
        app_->CreateForm(Form1);
    }
    static inline vq::ui::TApplication* app_ = nullptr;
    HWND Control(int id) { return GetDlgItem(Form1->Handle(), id); }
};

TEST_F(FormTest, StateAfterConstruction) {
    EXPECT_EQ(Form1->FExeName, vq::RunningExePath());
    EXPECT_EQ(Form1->FWorkDir, vq::WorkDirOf(Form1->FExeName));
    EXPECT_EQ(Form1->FStage.load(), stStopped);
    // What the form must find, from the Windows the test run says this is (scripts/wine-env), not
    // from what the code under test asks: 64-bit Windows runs the x86_64 build natively and the
    // i686 build under WOW64; 32-bit Windows has no WOW64 and runs only the i686 build.
    const char* declared = std::getenv("VQ_WINE_SYSTEM");
    ASSERT_NE(declared, nullptr) << "run through ctest --preset, which says which Windows this is";
    const std::string system = declared;
    const bool is64BitProcess = sizeof(void*) == 8;
    if (system == "win64") {
        ASSERT_TRUE(is64BitProcess) << "the i686 build runs on wow64 or win32";
        EXPECT_EQ(IsWow64(), 0);
        EXPECT_EQ(Form1->FIs64BitOS, 1);
    } else if (system == "wow64") {
        ASSERT_FALSE(is64BitProcess) << "only a 32-bit process runs under WOW64";
        EXPECT_NE(IsWow64(), 0);
        EXPECT_EQ(Form1->FIs64BitOS, 1);
    } else {
        ASSERT_EQ(system, "win32");
        ASSERT_FALSE(is64BitProcess) << "32-bit Windows runs no 64-bit program";
        EXPECT_EQ(IsWow64(), 0);
        EXPECT_EQ(Form1->FIs64BitOS, 0);
    }
}

TEST_F(FormTest, WindowAndApplicationCaptions) {
    EXPECT_EQ(TextOf(Form1->Handle()), vq::kProductTitle);
    EXPECT_EQ(TextOf(app_->Handle()), vq::kProductName);
    EXPECT_EQ(GetWindow(Form1->Handle(), GW_OWNER), app_->Handle());
}

TEST_F(FormTest, CreateEventSetsTheOpeningTexts) {
    EXPECT_EQ(TextOf(Control(vq::kIdLabelDesc)), MsgDescription);
    EXPECT_EQ(std::string(MsgDescription).find('\n'), 62u) << "two lines";
    EXPECT_EQ(TextOf(Control(vq::kIdLabelCurProgress)), "");
    EXPECT_EQ(TextOf(Control(vq::kIdLabelMessage)), "");
    EXPECT_EQ(TextOf(Control(vq::kIdLabelTitle)), vq::kProductName);
    EXPECT_EQ(TextOf(Control(vq::kIdLabelPercentage)), "0%");
}

TEST_F(FormTest, TextsOfTheFormUnit) {
    EXPECT_STREQ(MsgTitle, "Vorquint");
    EXPECT_STREQ(MsgConfirm,
                 "Start to upgrade your Sugarbay platform?\n\nPlease close all other applications & "
                 "save your works.\nThe system will shutdown after upgrade.");
    EXPECT_STREQ(PayloadFileNames[0], "Vorquint.exe");
    EXPECT_STREQ(PayloadFileNames[11], "Bios.bin.gz");
}

// Windows asks before a logoff or restart: refused from the confirmation until the chain failed
// or its clean-up is done, allowed at any other time.
TEST_F(FormTest, ALogoffWaitsForARunningUpgradeOnly) {
    auto asked = [] { return SendMessageA(Form1->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); };
    EXPECT_EQ(asked(), TRUE) << "no upgrade started";
    // Stand-ins for the workers: the chain counts as running while the clean-up has not ended.
    HANDLE cleanup = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ExtractThreadHandle = GetCurrentThread();
    CleanupThreadHandle = cleanup;
    for (int32_t stage : {stStopped, stExtracting, stFlashing, stFlashDone, stCleaning}) {
        Form1->FStage.store(stage);
        EXPECT_EQ(asked(), FALSE) << "stage " << stage;
    }
    for (int32_t stage : {stExtractFailed, stUpgradeFailed, stCleanDone, stComplete, stShuttingDown}) {
        Form1->FStage.store(stage);
        EXPECT_EQ(asked(), TRUE) << "stage " << stage;
    }
    Form1->FStage.store(stCleaning);
    SetEvent(cleanup);  // the clean-up found no work directory and ended on stCleaning
    EXPECT_EQ(asked(), TRUE);
    ExtractThreadHandle = CleanupThreadHandle = nullptr;
    Form1->FStage.store(stStopped);
    CloseHandle(cleanup);
}

TEST_F(FormTest, DestroyWithoutUpgradeIsHarmless) {
    ASSERT_EQ(ExtractThreadHandle, nullptr);
    ASSERT_EQ(ShutdownThreadHandle, nullptr);
    DestroyWindow(Form1->Handle());
    EXPECT_TRUE(Form1->Destroyed());
    EXPECT_FALSE(IsWindow(Form1->Handle()));
}

}  // namespace
