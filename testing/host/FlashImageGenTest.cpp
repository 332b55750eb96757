// The default payload's flash image: the flash double only accepts it if size and signature hold,
// and a wrong byte must be visible, so it may be neither blank nor different between builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "testing/common/FlashImageCheck.h"
#include "testing/host/FlashImageGen.h"

namespace vq::testing {
namespace {

TEST(FlashImageGen, IsAWholeSignedImage) {
    const auto image = MakeFlashImage();
    EXPECT_TRUE(LooksLikeFlashImage(image.data(), image.size()));
    EXPECT_EQ(image[16], 0x5A);
    EXPECT_EQ(image[19], 0x0F);
}

TEST(FlashImageGen, IsTheSameEveryTimeAndNotBlank) {
    const auto a = MakeFlashImage();
    EXPECT_EQ(a, MakeFlashImage());
    const std::set<uint8_t> values(a.begin(), a.end());
    EXPECT_EQ(values.size(), 256u);
    const auto erased = std::count(a.begin(), a.end(), uint8_t(0xFF));
    EXPECT_GT(erased, long(a.size() / 8));  // erased blocks, as in a real part
    EXPECT_LT(erased, long(a.size() / 2));
}

TEST(LooksLikeFlashImage, RefusesWrongSizeOrSignature) {
    auto image = MakeFlashImage();
    EXPECT_FALSE(LooksLikeFlashImage(image.data(), image.size() - 1));
    image[18] ^= 1;
    EXPECT_FALSE(LooksLikeFlashImage(image.data(), image.size()));
}

}  // namespace
}  // namespace vq::testing
