// The screen-density rule and the picture button's layout.
#include <gtest/gtest.h>

#include "ui/ButtonLayout.h"
#include "ui/Scaling.h"

namespace vq::ui {
namespace {

TEST(Scaling, At96DpiOnlyAFontThatMeasuresOtherwiseScales) {
    EXPECT_EQ(FontHeightAtDpi(-13, 96), -13);
    EXPECT_EQ(ScaleFor(15).Apply(455), 455);
    // Calibri missing: the stand-in's line of 16 pixels scales the layout to match it.
    const ScaleRatio r = ScaleFor(16);
    EXPECT_EQ(r.Apply(455), 485);  // 485.33
    EXPECT_EQ(r.Apply(218), 233);  // 232.53
    EXPECT_EQ(r.Apply(-21), -22);  // -22.4
}

TEST(Scaling, OtherDensitiesScaleByTheMeasuredLine) {
    EXPECT_EQ(FontHeightAtDpi(-13, 120), -16);  // -16.25
    EXPECT_EQ(FontHeightAtDpi(-13, 144), -20);  // -19.5 rounds away from zero
    const ScaleRatio r = ScaleFor(19);
    EXPECT_EQ(r.Apply(455), 576);  // 576.33
    EXPECT_EQ(r.Apply(218), 276);  // 276.13
    EXPECT_EQ(r.Apply(2), 3);      // 2.53
    EXPECT_EQ(r.Apply(-13), -16);  // -16.47
    EXPECT_EQ(r.Apply(-21), -27);  // -26.6
}

TEST(Scaling, AMeasuredLineOf15PixelsScalesNothing) {
    const ScaleRatio r = ScaleFor(15);
    EXPECT_EQ(r.Apply(455), 455);
    EXPECT_EQ(r.Apply(17), 17);
}

TEST(Scaling, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDivRound(3, 1, 2), 2);
    EXPECT_EQ(MulDivRound(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRound(5, 2, 4), 3);
    EXPECT_EQ(MulDivRound(7, 1, 3), 2);
    EXPECT_EQ(MulDivRound(100000, 100000, 100000), 100000);  // no overflow in the product
}

TEST(ButtonLayout, GlyphLeftOfTheCaptionFourApartCentredTogether) {
    // The upgrade button: 105 x 49, a 32 x 32 glyph, "Upgrade" 44 x 15.
    const ButtonLayout l = LayOutGlyphAndText(105, 49, 32, 32, 44, 15, kGlyphSpacing);
    EXPECT_EQ(l.GlyphLeft, 12);  // (105 - 80) / 2
    EXPECT_EQ(l.TextLeft, 12 + 32 + 4);
    EXPECT_EQ(l.GlyphTop, 9);
    EXPECT_EQ(l.TextTop, 17);
    // What is left over on the right equals what is on the left, give or take one pixel.
    const int right = 105 - (l.TextLeft + 44);
    EXPECT_LE(right - l.GlyphLeft, 1);
    EXPECT_GE(right - l.GlyphLeft, 0);
}

}  // namespace
}  // namespace vq::ui
