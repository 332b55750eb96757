// The tick rule: creeping, jumping, out-of-range codes, and the percentage text.
#include <gtest/gtest.h>

#include <string>

#include "ui/StageDisplay.h"

namespace vq::ui {
namespace {

// What the controls would hold after the ticks so far; only the bar carries over between ticks.
struct Screen {
    int32_t bar = 0;
    std::string percentage = "0%";
    std::string caption;
    std::string message;
    uint32_t color = clHotLight;
    bool workDirKept = false;  // what worker 3 reports beside the stage code

    void Tick(int32_t stage) {
        TickPlan plan = PlanTick(stage, bar);
        if (plan.Skip) {
            return;
        }
        if (plan.SetBar) {
            bar = plan.Position;
        }
        percentage = PercentageText(bar);
        caption = plan.Row->Caption;
        message = MessageText(*plan.Row, workDirKept);
        color = plan.Row->Color;
    }
    void Ticks(int32_t stage, int count) {
        for (int i = 0; i < count; ++i) {
            Tick(stage);
        }
    }
};

TEST(StageDisplay, StoppedIsSteady) {
    Screen s;
    s.Tick(stStopped);
    EXPECT_EQ(s.bar, 0);
    EXPECT_EQ(s.percentage, "0%");
    EXPECT_EQ(s.caption, "Stopped");
    EXPECT_EQ(s.message, "");
    s.Ticks(stStopped, 20);
    EXPECT_EQ(s.bar, 0);
    EXPECT_EQ(s.caption, "Stopped");
}

TEST(StageDisplay, FlashingCreepsOnePointPerTickAndRestsAtItsTarget) {
    Screen s;
    s.bar = 10;
    s.Tick(stFlashing);
    EXPECT_EQ(s.bar, 11);
    EXPECT_EQ(s.percentage, "11%");
    EXPECT_EQ(s.caption, "Flash BIOS ...");
    EXPECT_EQ(s.message, "Do Not Abort the Upgrade or Turn Off the Power");
    EXPECT_EQ(s.color, clMaroon);
    s.Ticks(stFlashing, 39);
    EXPECT_EQ(s.bar, 50);
    EXPECT_EQ(s.percentage, "50%");
    s.Ticks(stFlashing, 39);
    EXPECT_EQ(s.bar, 89);
    EXPECT_EQ(s.percentage, "89%");
    s.Ticks(stFlashing, 10);
    EXPECT_EQ(s.bar, 89);
}

TEST(StageDisplay, CreepingNeverMovesBackwards) {
    Screen s;
    s.bar = 95;
    s.Ticks(stFlashing, 3);
    EXPECT_EQ(s.bar, 95);
    EXPECT_EQ(s.percentage, "95%");
    EXPECT_EQ(s.caption, "Flash BIOS ...");
    EXPECT_EQ(s.message, "Do Not Abort the Upgrade or Turn Off the Power");
}

TEST(StageDisplay, EachCreepingStageClimbsToItsOwnTarget) {
    Screen s;
    s.Tick(stExtracting);
    EXPECT_EQ(s.bar, 1);
    s.Ticks(stExtracting, 5);
    EXPECT_EQ(s.bar, 1);
    s.bar = 90;
    s.Ticks(stCleaning, 7);
    EXPECT_EQ(s.bar, 97);
    s.Tick(stCleaning);
    EXPECT_EQ(s.bar, 98);
    s.Tick(stCleaning);
    EXPECT_EQ(s.bar, 98);
    EXPECT_EQ(s.caption, "Remove temporary files ...");
}

TEST(StageDisplay, OtherStagesJumpEitherWay) {
    Screen s;
    s.bar = 37;
    s.Tick(stFlashDone);
    EXPECT_EQ(s.bar, 90);
    EXPECT_EQ(s.percentage, "90%");
    EXPECT_EQ(s.message, "");
    EXPECT_EQ(s.color, clHotLight);
    s.Tick(stExtractDone);
    EXPECT_EQ(s.bar, 10);
    s.Tick(stCleanDone);
    EXPECT_EQ(s.bar, 99);
}

TEST(StageDisplay, FailuresDropTheBarToZeroWithADarkRedMessage) {
    Screen s;
    s.bar = 63;
    s.Tick(stExtractFailed);
    EXPECT_EQ(s.bar, 0);
    EXPECT_EQ(s.percentage, "0%");
    EXPECT_EQ(s.caption, "Extract file failed");
    EXPECT_EQ(s.message, "Fail to extract upgrade files\nFile may be corrupted");
    EXPECT_EQ(s.color, clMaroon);

    s.bar = 89;
    s.Tick(stUpgradeFailed);
    EXPECT_EQ(s.bar, 0);
    EXPECT_EQ(s.percentage, "0%");
    EXPECT_EQ(s.caption, "Upgrade failed");
    EXPECT_EQ(s.message, "Fail to upgrade\nPlease check if ME_UNLOCK is shorted");
    EXPECT_EQ(s.color, clMaroon);
}

TEST(StageDisplay, CodesOutsideTheTableChangeNothing) {
    for (int32_t code : {11, 255, -1, INT32_MIN, INT32_MAX}) {
        Screen s;
        s.bar = 42;
        s.Tick(stFlashing);
        Screen before = s;
        s.Ticks(code, 3);
        EXPECT_EQ(s.bar, before.bar) << code;
        EXPECT_EQ(s.percentage, before.percentage) << code;
        EXPECT_EQ(s.caption, before.caption) << code;
        EXPECT_EQ(s.message, before.message) << code;
        EXPECT_EQ(s.color, before.color) << code;
        EXPECT_TRUE(PlanTick(code, 42).Skip) << code;
    }
    EXPECT_FALSE(PlanTick(stUpgradeFailed, 42).Skip);
}

TEST(StageDisplay, ShuttingDownAfterCompleteKeepsTheBarFull) {
    Screen s;
    s.bar = 99;
    s.Tick(stComplete);
    EXPECT_EQ(s.bar, 100);
    EXPECT_EQ(s.percentage, "100%");
    EXPECT_EQ(s.message, "System will be shutdown\nPlease remove the ME_UNLOCK jumper and clear the CMOS");
    s.Tick(stShuttingDown);
    EXPECT_EQ(s.bar, 100);
    EXPECT_EQ(s.percentage, "100%");
    EXPECT_EQ(s.caption, "Shuting down ...");
    EXPECT_EQ(s.message, "Shutdown the computer after few seconds");
    EXPECT_EQ(s.color, clHotLight);
}

// A work directory the clean-up could not remove is named on a line of its own below whatever
// the stages that follow say, so the jumper instruction and the shutdown notice stay as they are.
TEST(StageDisplay, AWorkDirectoryNotRemovedIsNamedBelowEveryLaterMessage) {
    Screen s;
    s.Tick(stCleaning);
    s.workDirKept = true;
    s.Tick(stCleaning);
    EXPECT_EQ(s.caption, "Remove temporary files ...");
    EXPECT_EQ(s.message, "Fail to remove temporary folder VqPTemp");
    s.Tick(stComplete);
    EXPECT_EQ(s.caption, "Upgrade Complete");
    EXPECT_EQ(s.message,
              "System will be shutdown\nPlease remove the ME_UNLOCK jumper and clear the CMOS\n"
              "Fail to remove temporary folder VqPTemp");
    EXPECT_EQ(s.color, clHotLight);
    s.Tick(stShuttingDown);
    EXPECT_EQ(s.message, "Shutdown the computer after few seconds\nFail to remove temporary folder VqPTemp");
}

TEST(StageDisplay, ARestingCreepingStageLeavesTheBarAloneAndOthersSetItEveryTick) {
    EXPECT_TRUE(PlanTick(stFlashing, 88).SetBar);
    EXPECT_FALSE(PlanTick(stFlashing, 89).SetBar);
    EXPECT_FALSE(PlanTick(stFlashing, 95).SetBar);
    EXPECT_FALSE(PlanTick(stExtracting, 1).SetBar);
    EXPECT_FALSE(PlanTick(stCleaning, 98).SetBar);
    for (int32_t stage : {0, 2, 4, 6, 7, 8, 9, 10}) {
        const TickPlan unchanged = PlanTick(stage, StageTable[stage].Target);
        EXPECT_TRUE(unchanged.SetBar) << stage;
        EXPECT_EQ(unchanged.Position, StageTable[stage].Target) << stage;
    }
    EXPECT_FALSE(PlanTick(11, 42).SetBar);
}

TEST(StageDisplay, OnlyExtractFlashAndCleanCreep) {
    for (int32_t stage = 0; stage <= kLastStage; ++stage) {
        bool creeping = stage == 1 || stage == 3 || stage == 5;
        EXPECT_EQ(IsCreepingStage(stage), creeping) << stage;
    }
}

TEST(PercentageText, DecimalWithoutPaddingFollowedByPercent) {
    EXPECT_EQ(PercentageText(0), "0%");
    EXPECT_EQ(PercentageText(1), "1%");
    EXPECT_EQ(PercentageText(89), "89%");
    EXPECT_EQ(PercentageText(100), "100%");
}

}  // namespace
}  // namespace vq::ui
