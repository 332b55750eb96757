// Colour values: system colours go to the lookup by index, fixed colours pass through.
#include <gtest/gtest.h>

#include "ui/Colors.h"

namespace vq::ui {
namespace {

int gAskedIndex = -1;

uint32_t FakeSysColor(int index) {
    gAskedIndex = index;
    return 0x00100000u + static_cast<uint32_t>(index);
}

TEST(Colors, SystemColoursAskTheSystemByIndex) {
    struct Case {
        TColor color;
        int index;
    };
    for (Case c : {Case{clWindowText, 8}, Case{clBtnFace, 15}, Case{cl3DDkShadow, 21},
                   Case{clHotLight, 26}}) {
        gAskedIndex = -1;
        EXPECT_EQ(ColorToRgb(c.color, FakeSysColor), 0x00100000u + c.index);
        EXPECT_EQ(gAskedIndex, c.index);
    }
}

TEST(Colors, FixedColoursAreBgrValues) {
    gAskedIndex = -1;
    EXPECT_EQ(ColorToRgb(clMaroon, FakeSysColor), 0x00000080u);  // red 128
    EXPECT_EQ(ColorToRgb(clMedGray, FakeSysColor), 0x00A4A0A0u);  // red 160, green 160, blue 164
    EXPECT_EQ(gAskedIndex, -1);
}

}  // namespace
}  // namespace vq::ui
