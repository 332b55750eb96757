// The committed icon and button picture: what the generator draws, in the exact file layouts.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "res/gen/ImageFiles.h"
#include "res/gen/Pictures.h"

namespace vq::res {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    fclose(f);
    return bytes;
}

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return Le16(b, at) | (Le16(b, at + 2) << 16);
}

const std::string kResDir = VQ_RES_DIR;

TEST(Pictures, CommittedFilesAreWhatTheGeneratorDraws) {
    EXPECT_EQ(ReadFile(kResDir + "/Upgrade.bmp"), BmpFile(DrawGlyph()));
    EXPECT_EQ(ReadFile(kResDir + "/Vorquint.ico"), IcoFile(DrawIcon()));
}

TEST(Pictures, ButtonBitmapHasTheExactFileLayout) {
    const std::vector<uint8_t> b = BmpFile(DrawGlyph());
    ASSERT_EQ(b.size(), 4150u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), 4150u);   // file size
    EXPECT_EQ(Le32(b, 10), 54u);    // pixels follow the two headers
    EXPECT_EQ(Le32(b, 14), 40u);    // information header
    EXPECT_EQ(Le32(b, 18), 32u);    // width
    EXPECT_EQ(Le32(b, 22), 32u);    // height, positive: bottom-up
    EXPECT_EQ(Le16(b, 26), 1u);     // planes
    EXPECT_EQ(Le16(b, 28), 32u);    // bits per pixel
    EXPECT_EQ(Le32(b, 30), 0u);     // uncompressed
    EXPECT_EQ(Le32(b, 38), 3543u);  // pixels per metre
    EXPECT_EQ(Le32(b, 42), 3543u);
    EXPECT_EQ(Le32(b, 46), 0u);     // no colour table
}

TEST(Pictures, ButtonBitmapIsAmberOnDarkOnWhite) {
    const std::vector<uint8_t> b = BmpFile(DrawGlyph());
    auto pixel = [&](int x, int yFromTop) { return &b[54 + ((31 - yFromTop) * 32 + x) * 4]; };
    // The first stored pixel is the bottom-left one: the colour drawn transparent.
    EXPECT_EQ(b[54], 0xFF);
    EXPECT_EQ(b[55], 0xFF);
    EXPECT_EQ(b[56], 0xFF);
    EXPECT_EQ(pixel(0, 0)[2], 0xFF);
    const uint8_t* inside = pixel(26, 5);  // on the dark square, away from the arrow
    EXPECT_LT(inside[0] + inside[1] + inside[2], 3 * 0x40);
    int amber = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = pixel(x, y);
            amber += (p[2] > 0xD0 && p[1] > 0x70 && p[1] < 0xD0 && p[0] < 0x40) ? 1 : 0;
        }
    }
    EXPECT_GT(amber, 60);
}

TEST(Pictures, IconIsOne128PixelImageWithAlpha) {
    const std::vector<uint8_t> b = IcoFile(DrawIcon());
    ASSERT_GE(b.size(), 22u + 40u);
    EXPECT_EQ(Le16(b, 0), 0u);
    EXPECT_EQ(Le16(b, 2), 1u);     // icon
    EXPECT_EQ(Le16(b, 4), 1u);     // one image
    EXPECT_EQ(b[6], 128);
    EXPECT_EQ(b[7], 128);
    EXPECT_EQ(Le16(b, 12), 32u);   // bits per pixel
    const uint32_t size = Le32(b, 14), offset = Le32(b, 18);
    EXPECT_EQ(offset, 22u);
    ASSERT_EQ(b.size(), offset + size);
    EXPECT_EQ(Le32(b, 22), 40u);
    EXPECT_EQ(Le32(b, 26), 128u);
    EXPECT_EQ(Le32(b, 30), 256u);  // colour image and mask
    EXPECT_EQ(size, 40u + 128u * 128u * 4u + 128u * 16u);

    auto alpha = [&](int x, int yFromTop) { return b[62 + ((127 - yFromTop) * 128 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);        // clear around the cube
    EXPECT_EQ(alpha(127, 127), 0);
    EXPECT_EQ(alpha(52, 80), 0xFF);   // front face
    EXPECT_EQ(alpha(100, 30), 0xFF);  // top face
    // The AND mask marks exactly the fully transparent pixels.
    const size_t mask = 62 + 128 * 128 * 4;
    EXPECT_EQ(b[mask + 127 * 16] & 0x80, 0x80);  // top-left pixel, last mask row
    const size_t faceRow = mask + (127 - 80) * 16;
    EXPECT_EQ(b[faceRow + 52 / 8] & (0x80 >> (52 % 8)), 0);
}

TEST(Pictures, IconArrowGlowsBlue) {
    const Canvas icon = DrawIcon();
    // Along the arrow's shaft, between the face centre and its tail.
    const Rgba shaft = icon.At(60, 88);
    EXPECT_GT(shaft.b, 0.9);
    EXPECT_GT(shaft.b, shaft.r);
    const Rgba face = icon.At(20, 112);
    EXPECT_LT(face.r + face.g + face.b, 0.6);
}

}  // namespace
}  // namespace vq::res
