// Writing the icon and bitmap formats byte by byte, little-endian, with no padding surprises.
#include "res/gen/ImageFiles.h"

namespace vq::res {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kIconDirSize = 6 + 16;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, uint32_t imageSize,
                   int32_t pixelsPerMetre) {
    Put32(out, kInfoHeaderSize);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, imageSize);
    Put32(out, uint32_t(pixelsPerMetre));
    Put32(out, uint32_t(pixelsPerMetre));
    Put32(out, 0);  // colours used
    Put32(out, 0);  // colours important
}

// Pixel rows bottom-up, B G R A each.
void PutRowsBottomUp(std::vector<uint8_t>& out, const std::vector<uint8_t>& topDown, int width,
                     int height) {
    const size_t stride = size_t(width) * 4;
    for (int y = height - 1; y >= 0; --y) {
        out.insert(out.end(), topDown.begin() + y * stride, topDown.begin() + (y + 1) * stride);
    }
}

}  // namespace

std::vector<uint8_t> IcoFile(const Canvas& c) {
    const int w = c.Width(), h = c.Height();
    const uint32_t maskStride = uint32_t((w + 31) / 32 * 4);
    const uint32_t pixelBytes = uint32_t(w * h * 4);
    const uint32_t imageBytes = kInfoHeaderSize + pixelBytes + maskStride * h;

    std::vector<uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon
    Put16(out, 1);  // one image
    out.push_back(uint8_t(w));  // 128 fits; 0 would mean 256
    out.push_back(uint8_t(h));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, imageBytes);
    Put32(out, kIconDirSize);

    // Inside an icon the height counts the colour image and the mask together.
    PutInfoHeader(out, w, 2 * h, pixelBytes + maskStride * h, 0);
    const std::vector<uint8_t> bgra = c.Bgra();
    PutRowsBottomUp(out, bgra, w, h);
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x) {
            if (bgra[(size_t(y) * w + x) * 4 + 3] == 0) {
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> BmpFile(const Canvas& c) {
    const int w = c.Width(), h = c.Height();
    const uint32_t pixelBytes = uint32_t(w * h * 4);
    const uint32_t offBits = kFileHeaderSize + kInfoHeaderSize;

    std::vector<uint8_t> bgra = c.Bgra();
    for (size_t i = 0; i < bgra.size(); i += 4) {
        const bool white = bgra[i] == 0xFF && bgra[i + 1] == 0xFF && bgra[i + 2] == 0xFF;
        bgra[i + 3] = white ? 0 : 0xFF;
    }

    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offBits + pixelBytes);
    Put32(out, 0);  // reserved
    Put32(out, offBits);
    PutInfoHeader(out, w, h, pixelBytes, kPixelsPerMetre);
    PutRowsBottomUp(out, bgra, w, h);
    return out;
}

}  // namespace vq::res
