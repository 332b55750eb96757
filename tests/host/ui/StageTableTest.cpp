// The stage table's rows, byte for byte: these texts and numbers are what the user reads.
#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <string>

#include "ui/StageTable.h"

namespace vq::ui {
namespace {

struct ExpectedRow {
    const char* caption;
    int32_t target;
    const char* message;
    uint32_t color;
};

// Typed out again on purpose: a slip in either copy shows up as a difference.
const ExpectedRow kExpected[kStageCount] = {
    {"Stopped", 0, "", 0x8000001A},
    {"Extract files ...", 1, "", 0x8000001A},
    {"Extract done", 10, "", 0x8000001A},
    {"Flash BIOS ...", 89, "Do Not Abort the Upgrade or Turn Off the Power", 0x00000080},
    {"Flash BIOS complete", 90, "", 0x8000001A},
    {"Remove temporary files ...", 98, "", 0x8000001A},
    {"Temporary files removed", 99, "", 0x8000001A},
    {"Upgrade Complete", 100,
     "System will be shutdown\x0A" "Please remove the ME_UNLOCK jumper and clear the CMOS",
     0x8000001A},
    {"Shuting down ...", 100, "Shutdown the computer after few seconds", 0x8000001A},
    {"Extract file failed", 0, "Fail to extract upgrade files\x0A" "File may be corrupted",
     0x00000080},
    {"Upgrade failed", 0, "Fail to upgrade\x0A" "Please check if ME_UNLOCK is shorted",
     0x00000080},
};

TEST(StageTable, EveryRowMatchesByteForByte) {
    for (int i = 0; i < kStageCount; ++i) {
        const TStageInfo& row = StageTable[i];
        EXPECT_STREQ(row.Caption, kExpected[i].caption) << "stage " << i;
        EXPECT_EQ(row.Target, kExpected[i].target) << "stage " << i;
        EXPECT_STREQ(row.Message, kExpected[i].message) << "stage " << i;
        EXPECT_EQ(row.Color, kExpected[i].color) << "stage " << i;
    }
}

TEST(StageTable, TextsAreTerminatedWithinTheirFieldsAndPaddedWithZeros) {
    for (int i = 0; i < kStageCount; ++i) {
        const TStageInfo& row = StageTable[i];
        size_t captionLen = strnlen(row.Caption, sizeof row.Caption);
        size_t messageLen = strnlen(row.Message, sizeof row.Message);
        ASSERT_LT(captionLen, sizeof row.Caption);
        ASSERT_LT(messageLen, sizeof row.Message);
        for (size_t k = captionLen; k < sizeof row.Caption; ++k) {
            EXPECT_EQ(row.Caption[k], '\0') << "stage " << i;
        }
        for (size_t k = messageLen; k < sizeof row.Message; ++k) {
            EXPECT_EQ(row.Message[k], '\0') << "stage " << i;
        }
    }
}

TEST(StageTable, RowFieldsLieAtTheirOffsets) {
    EXPECT_EQ(offsetof(TStageInfo, Caption), 0u);
    EXPECT_EQ(offsetof(TStageInfo, Target), 80u);
    EXPECT_EQ(offsetof(TStageInfo, Message), 84u);
    EXPECT_EQ(offsetof(TStageInfo, Color), 340u);
}

TEST(StageTable, StageCodesIndexTheirRows) {
    EXPECT_STREQ(StageTable[stStopped].Caption, "Stopped");
    EXPECT_STREQ(StageTable[stFlashing].Caption, "Flash BIOS ...");
    EXPECT_STREQ(StageTable[stComplete].Caption, "Upgrade Complete");
    EXPECT_STREQ(StageTable[stShuttingDown].Caption, "Shuting down ...");
    EXPECT_STREQ(StageTable[stUpgradeFailed].Caption, "Upgrade failed");
}

}  // namespace
}  // namespace vq::ui
