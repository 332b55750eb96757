// The timer's display in the real window: texts, bar, label growth, colours, repaints, closing.

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <thread>

#include "testing/uidriver/UiDriver.h"
#include "tests/win/ui/FormFixture.h"

#include <commctrl.h>
#include "ui/StageTable.h"

namespace vq::test {
namespace {

// These tests tick by hand. The form's own timer, running since its constructor, would add a
// tick of its own whenever a busy machine makes a test outlast the interval; its messages are
// dropped here, the rest reach the form as before.
WNDPROC gFormProc = nullptr;
LRESULT CALLBACK WithoutOwnTicks(HWND h, UINT msg, WPARAM w, LPARAM l) {
    return msg == WM_TIMER ? 0 : CallWindowProcA(gFormProc, h, msg, w, l);
}

class Tick : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        gFormProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            Form1->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WithoutOwnTicks)));
    }
};

// Pixels of the captured label that are text in about `rgb` (0x00RRGGBB), not background.
int PixelsNear(const std::vector<uint32_t>& px, uint32_t rgb, int tolerance) {
    int n = 0;
    for (uint32_t p : px) {
        n += (abs(Red(p) - Red(rgb)) <= tolerance && abs(Green(p) - Green(rgb)) <= tolerance &&
              abs(Blue(p) - Blue(rgb)) <= tolerance)
                 ? 1
                 : 0;
    }
    return n;
}

uint32_t SysRgb(int index) {
    const COLORREF c = GetSysColor(index);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST_F(Tick, TheTimerFillsTheEmptyStageCaptionWithStopped) {
    // The timer starts in the constructor, so this test times its own form from there: the
    // fixture's form may have ticked already while a busy machine showed it.
    TearDown();
    const DWORD created = GetTickCount();
    Form1 = new TForm1(app_->Handle());
    app_->SetMainForm(Form1);
    Form1->AfterConstruction();
    // Nothing has been dispatched yet, so no tick can have run.
    EXPECT_EQ(TextOf(kIdLabelCurProgress), "");
    EXPECT_EQ(TextOf(kIdLabelMessage), "");
    ShowWindow(Form1->Handle(), SW_SHOWNORMAL);
    // A tick that never comes fails here; a late one is load, which this bound allows for.
    constexpr DWORD kFirstTickBoundMs = 5000;
    DWORD took = 0;
    while (TextOf(kIdLabelCurProgress).empty() && (took = GetTickCount() - created) < kFirstTickBoundMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    EXPECT_EQ(TextOf(kIdLabelCurProgress), "Stopped") << "no tick within " << kFirstTickBoundMs << " ms";
    // One 250 ms interval after the constructor at the earliest, both ends read on the same
    // clock; 100 ms of slack for the tick count's granularity (up to 16 ms) and an early timer.
    EXPECT_GE(took, 150u) << "the first tick comes a timer interval after creation";
    EXPECT_EQ(TextOf(kIdLabelMessage), "");
    EXPECT_EQ(TextOf(kIdLabelPercentage), "0%");
}

TEST_F(Tick, FlashingCreepsToItsTargetAndRests) {
    SendMessageA(Control(kIdProgressBar), PBM_SETPOS, 10, 0);
    TickAt(stFlashing);
    EXPECT_EQ(BarPosition(), 11);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "11%");
    EXPECT_EQ(TextOf(kIdLabelCurProgress), "Flash BIOS ...");
    EXPECT_EQ(TextOf(kIdLabelMessage), "Do Not Abort the Upgrade or Turn Off the Power");
    TickAt(stFlashing, 39);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "50%");
    TickAt(stFlashing, 39);
    EXPECT_EQ(BarPosition(), 89);
    TickAt(stFlashing, 5);
    EXPECT_EQ(BarPosition(), 89);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "89%");
    TickAt(stFlashDone);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "90%");
}

TEST_F(Tick, PercentageGrowsToTheRightAtFullBar) {
    TickAt(stComplete);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "100%");
    const Box b = BoxOf(kIdLabelPercentage);
    EXPECT_EQ(b.left, 208);
    EXPECT_EQ(b.top, 113);
    EXPECT_GT(b.width, 16 + 8) << "two more digits than 0%";
    EXPECT_EQ(b.height, 15);
}

TEST_F(Tick, TwoLineMessageGrowsDownwardsInsideTheWindow) {
    TickAt(stUpgradeFailed);
    EXPECT_EQ(TextOf(kIdLabelMessage), "Fail to upgrade\nPlease check if ME_UNLOCK is shorted");
    const Box b = BoxOf(kIdLabelMessage);
    EXPECT_EQ(b.left, 8);
    EXPECT_EQ(b.top, 168);
    EXPECT_EQ(b.height, 30);
    EXPECT_LE(b.top + b.height, 218);
    // Back to one line: the label shrinks again.
    TickAt(stShuttingDown);
    EXPECT_EQ(BoxOf(kIdLabelMessage).height, 15);
}

TEST_F(Tick, CodesOutsideTheTableLeaveEverythingAsItWas) {
    SendMessageA(Control(kIdProgressBar), PBM_SETPOS, 40, 0);
    TickAt(stFlashing);
    for (int32_t code : {11, 255, -1}) {
        TickAt(code, 2);
        EXPECT_EQ(BarPosition(), 41) << code;
        EXPECT_EQ(TextOf(kIdLabelPercentage), "41%") << code;
        EXPECT_EQ(TextOf(kIdLabelCurProgress), "Flash BIOS ...") << code;
    }
}

// Wine's default theme makes the hot-light colour a light grey; Windows' own default is blue.
// The label must follow whatever the system says, so the test sets Windows' default for a while.
class HotLightAsOnWindows {
public:
    HotLightAsOnWindows() : saved_(GetSysColor(COLOR_HOTLIGHT)) { Set(RGB(0, 102, 204)); }
    ~HotLightAsOnWindows() { Set(saved_); }

private:
    static void Set(COLORREF c) {
        const INT element = COLOR_HOTLIGHT;
        SetSysColors(1, &element, &c);
    }
    COLORREF saved_;
};

TEST_F(Tick, MessageColourFollowsTheStage) {
    HotLightAsOnWindows blue;
    const uint32_t maroon = 0x800000;  // red 128
    const uint32_t hot = SysRgb(COLOR_HOTLIGHT);
    ASSERT_EQ(hot, 0x0066CCu);
    int w = 0, h = 0;

    TickAt(stFlashing);
    std::vector<uint32_t> px = Capture(kIdLabelMessage, w, h);
    EXPECT_GT(PixelsNear(px, maroon, 24), 20) << "dark red while the flash tool runs";
    EXPECT_EQ(PixelsNear(px, hot, 24), 0);

    TickAt(stExtractFailed);
    px = Capture(kIdLabelMessage, w, h);
    EXPECT_GT(PixelsNear(px, maroon, 24), 20) << "dark red after a failure";

    TickAt(stComplete);
    px = Capture(kIdLabelMessage, w, h);
    EXPECT_GT(PixelsNear(px, hot, 24), 20) << "the hot-light colour otherwise";
    EXPECT_EQ(PixelsNear(px, maroon, 24), 0);

    // Opaque: the label's background is the window's button-face colour.
    EXPECT_GT(PixelsNear(px, SysRgb(COLOR_BTNFACE), 0), w * h / 2);
}

// Nothing set here: the session must give Windows' blue from its very first program on, also on
// a prefix made moments ago (tests/win/ui/new-prefix.sh runs this there).
TEST_F(Tick, HotLightMessagesShowInTheSessionsBlue) {
    TickAt(stShuttingDown);
    int w = 0, h = 0;
    EXPECT_GT(PixelsNear(Capture(kIdLabelMessage, w, h), 0x0066CC, 24), 20)
        << "hot-light colour " << std::hex << SysRgb(COLOR_HOTLIGHT);
}

TEST_F(Tick, DescriptionAndStageCaptionAreDarkGrey) {
    TickAt(stStopped);
    int w = 0, h = 0;
    const uint32_t grey = SysRgb(COLOR_3DDKSHADOW);
    EXPECT_GT(PixelsNear(Capture(kIdLabelDesc, w, h), grey, 24), 40);
    EXPECT_GT(PixelsNear(Capture(kIdLabelCurProgress, w, h), grey, 24), 10);
}

// Counts texts reaching the message label: without one, a static control cannot repaint.
WNDPROC gLabelProc = nullptr;
int gSetTextCount = 0;
LRESULT CALLBACK CountingLabelProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_SETTEXT) ++gSetTextCount;
    return CallWindowProcA(gLabelProc, h, msg, w, l);
}

TEST_F(Tick, UnchangedTextOrColourDoesNotRepaint) {
    TickAt(stComplete);
    Pump();
    HWND message = Control(kIdLabelMessage);
    gLabelProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(message, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingLabelProc)));
    gSetTextCount = 0;
    ASSERT_FALSE(GetUpdateRect(message, nullptr, FALSE));
    TickAt(stComplete, 3);
    EXPECT_EQ(gSetTextCount, 0);
    EXPECT_FALSE(GetUpdateRect(message, nullptr, FALSE));
    // A real change does reach the label: the checks above could fail.
    TickAt(stShuttingDown);
    EXPECT_EQ(gSetTextCount, 1);
    Form1->Label_Message.SetFontColor(vq::ui::clMaroon);
    EXPECT_TRUE(GetUpdateRect(message, nullptr, FALSE));
    SetWindowLongPtrA(message, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gLabelProc));
}

// Counts PBM_SETPOS reaching the bar.
WNDPROC gBarProc = nullptr;
int gSetPosCount = 0;
LRESULT CALLBACK CountingBarProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == PBM_SETPOS) ++gSetPosCount;
    return CallWindowProcA(gBarProc, h, msg, w, l);
}

TEST_F(Tick, StagesThatDoNotCreepPassThePositionToTheBarEveryTick) {
    HWND bar = Control(kIdProgressBar);
    gBarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingBarProc)));
    gSetPosCount = 0;
    TickAt(stStopped, 3);
    EXPECT_EQ(gSetPosCount, 3);
    // A creeping stage sets the bar only while it climbs; resting at its target, or above it,
    // it leaves the bar alone.
    SendMessageA(bar, PBM_SETPOS, 88, 0);
    gSetPosCount = 0;
    TickAt(stFlashing);
    EXPECT_EQ(gSetPosCount, 1);
    TickAt(stFlashing, 2);
    EXPECT_EQ(gSetPosCount, 1);
    SendMessageA(bar, PBM_SETPOS, 95, 0);
    gSetPosCount = 0;
    TickAt(stFlashing, 2);
    EXPECT_EQ(gSetPosCount, 0);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "95%");
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gBarProc));
}

TEST_F(Tick, CloseHandledInsideTheTickStopsItBeforeAnyControl) {
    PostMessageA(Form1->Handle(), WM_CLOSE, 0, 0);
    TickAt(stFlashing);
    EXPECT_TRUE(Form1->Destroyed());
    EXPECT_FALSE(IsWindow(Form1->Handle()));
    // Had the tick gone on, the labels would hold the stage's texts.
    EXPECT_EQ(Form1->Label_CurProgress.Caption(), "");
    EXPECT_EQ(Form1->Label_Message.Caption(), "");
    // Further ticks (a timer message already queued) find the window gone and do nothing.
    TickAt(stFlashing, 2);
    EXPECT_EQ(Form1->Label_CurProgress.Caption(), "");
}

// Delivers `key` to the button while a helper answers the confirmation box with No; returns the
// box's text ("" when no box came, that is when the key did not press the button).
std::string PressAndDecline(MSG key) {
    // The box opens inside the key's handling, so the helper looks for it until that returns.
    // Should neither happen, the test program ends with a message rather than at the test
    // runner's time-out; the watchdog is a thread of its own, as looking for the box can block.
    constexpr DWORD kBoxBoundMs = 20000;
    std::string boxText;
    std::atomic<bool> delivered = false, done = false;
    std::thread watchdog([&done] {
        const DWORD start = GetTickCount();
        while (!done) {
            if (GetTickCount() - start > kBoxBoundMs) {
                fprintf(stderr, "PressAndDecline: after %lu ms the key's handling has not returned "
                                "and no confirmation box was answered\n",
                        static_cast<unsigned long>(kBoxBoundMs));
                fflush(stderr);
                std::_Exit(3);
            }
            Sleep(50);
        }
    });
    std::thread answer([&boxText, &delivered, &done] {
        while (!delivered) {
            if (HWND box = vq::testing::FindConfirmBox(GetCurrentProcessId())) {
                boxText = vq::testing::ConfirmText(box);
                vq::testing::AnswerConfirm(box, false);
                break;
            }
            Sleep(25);
        }
        done = true;
    });
    vq::ui::DeliverMessage(key);
    delivered = true;
    // The helper reads window texts, which this thread answers: keep handling sent messages.
    MSG msg;
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    answer.join();
    watchdog.join();
    return boxText;
}

TEST_F(Tick, KeyboardPressesTheButton) {
    HWND button = Control(kIdBitBtnUpgrade);
    EXPECT_EQ(PressAndDecline({button, WM_SYSCHAR, 'u', 1 << 29, 0, {}}), MsgConfirm) << "Alt+U";
    EXPECT_EQ(PressAndDecline({button, WM_KEYDOWN, VK_RETURN, 0, 0, {}}), MsgConfirm) << "Enter";
    EXPECT_EQ(PressAndDecline({button, WM_SYSCHAR, 'x', 1 << 29, 0, {}}), "") << "Alt+X";
    EXPECT_EQ(ExtractThreadHandle, nullptr) << "No starts nothing";
}

TEST_F(Tick, GreyedButtonCaptionAfterTheUpgradeStarts) {
    EnableWindow(Control(kIdBitBtnUpgrade), FALSE);
    Form1->BitBtn_Upgrade.SetFontColor(vq::ui::clMedGray);
    int w = 0, h = 0;
    const std::vector<uint32_t> px = Capture(kIdBitBtnUpgrade, w, h);
    EXPECT_GT(PixelsNear(px, 0xA0A0A4, 12), 10) << "caption in clMedGray";
    int amber = 0;
    for (uint32_t p : px) {
        amber += (Red(p) > 0xD0 && Green(p) > 0x70 && Green(p) < 0xD8 && Blue(p) < 0x50) ? 1 : 0;
    }
    EXPECT_EQ(amber, 0) << "the picture is greyed too";
}

}  // namespace
}  // namespace vq::test
