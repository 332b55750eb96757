// The committed icon and button picture: what the generator draws, in the exact file layouts.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

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

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Reads back an 8-bit RGBA PNG of one IDAT, as a viewer would: pixels top-down, R G B A.
bool DecodePng(const std::vector<uint8_t>& png, int& width, int& height, std::vector<uint8_t>& rgba) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || memcmp(png.data(), kSignature, 8) != 0) return false;
    std::vector<uint8_t> idat;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = Be32(png, at);
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        const uint8_t* data = png.data() + at + 8;
        if (at + 12 + length > png.size()) return false;
        if (Be32(png, at + 8 + length) != crc32(0, png.data() + at + 4, length + 4)) return false;
        if (type == "IHDR") {
            width = int(Be32(png, at + 8));
            height = int(Be32(png, at + 12));
            if (data[8] != 8 || data[9] != 6 || data[12] != 0) return false;  // RGBA, 8 bits, plain
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data, data + length);
        }
        at += 12 + length;
    }
    const size_t stride = size_t(width) * 4;
    std::vector<uint8_t> raw((stride + 1) * height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, idat.data(), uLong(idat.size())) != Z_OK ||
        rawSize != raw.size()) {
        return false;
    }
    rgba.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* in = &raw[y * (stride + 1) + 1];
        uint8_t* out = &rgba[y * stride];
        const uint8_t* up = y > 0 ? out - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= 4 ? out[i - 4] : 0, b = up ? up[i] : 0, c = (up && i >= 4) ? up[i - 4] : 0;
            const int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
            const int paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            const int predicted = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                                : filter == 4 ? paeth : 0;
            if (filter > 4) return false;
            out[i] = uint8_t(in[i] + predicted);
        }
    }
    return true;
}

TEST(Pictures, IconIsOne128PixelImageWithAlphaStoredAsPng) {
    const Canvas drawn = DrawIcon();
    const std::vector<uint8_t> b = IcoFile(drawn);
    ASSERT_GE(b.size(), 22u + 8u);
    EXPECT_EQ(Le16(b, 0), 0u);
    EXPECT_EQ(Le16(b, 2), 1u);     // icon
    EXPECT_EQ(Le16(b, 4), 1u);     // one image
    EXPECT_EQ(b[6], 128);
    EXPECT_EQ(b[7], 128);
    EXPECT_EQ(Le16(b, 12), 32u);   // bits per pixel
    const uint32_t size = Le32(b, 14), offset = Le32(b, 18);
    EXPECT_EQ(offset, 22u);
    ASSERT_EQ(b.size(), offset + size);
    // Compressed: a fraction of the 64 KiB the same pixels take as a bitmap.
    EXPECT_LT(size, 16u * 1024u);

    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(DecodePng(std::vector<uint8_t>(b.begin() + offset, b.end()), w, h, rgba));
    ASSERT_EQ(w, 128);
    ASSERT_EQ(h, 128);
    // Every pixel as drawn, alpha straight.
    const std::vector<uint8_t> bgra = drawn.Bgra();
    size_t differing = 0;
    for (size_t i = 0; i < bgra.size(); i += 4) {
        differing += (rgba[i] != bgra[i + 2] || rgba[i + 1] != bgra[i + 1] ||
                      rgba[i + 2] != bgra[i] || rgba[i + 3] != bgra[i + 3]) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);
    auto alpha = [&](int x, int y) { return rgba[(size_t(y) * 128 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);        // clear around the cube
    EXPECT_EQ(alpha(127, 127), 0);
    EXPECT_EQ(alpha(52, 80), 0xFF);   // front face
    EXPECT_EQ(alpha(100, 30), 0xFF);  // top face
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
