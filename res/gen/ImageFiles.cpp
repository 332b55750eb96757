// Writing the icon, PNG and bitmap formats byte by byte, with no padding surprises.
#include "res/gen/ImageFiles.h"

#include <zlib.h>

#include <stdint.h>

#include <utility>

namespace vq::res {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kIconDirSize = 6 + 16;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kPngRgba = 6;     // colour type: truecolour with alpha
constexpr int kPngFilterCount = 5;  // none, sub, up, average, Paeth

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

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// One scanline under `filter`, its filter byte first. `prev` is the line above (zeros for the
// first), `bpp` bytes per pixel.
std::vector<uint8_t> FilterRow(int filter, const uint8_t* row, const uint8_t* prev, size_t n,
                               size_t bpp) {
    std::vector<uint8_t> out(n + 1);
    out[0] = uint8_t(filter);
    for (size_t i = 0; i < n; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        const int predicted = filter == 1   ? a
                              : filter == 2 ? b
                              : filter == 3 ? (a + b) / 2
                              : filter == 4 ? Paeth(a, b, c)
                                            : 0;
        out[i + 1] = uint8_t(row[i] - predicted);
    }
    return out;
}

// The filtered image: one filter for every row, or (filter < 0) per row the one whose bytes
// sum smallest as signed values, the usual guess at what compresses best.
std::vector<uint8_t> FilterImage(int filter, const std::vector<uint8_t>& rgba, int width,
                                 int height) {
    const size_t stride = size_t(width) * 4;
    const std::vector<uint8_t> zeros(stride, 0);
    std::vector<uint8_t> out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rgba.data() + y * stride;
        const uint8_t* prev = y > 0 ? row - stride : zeros.data();
        std::vector<uint8_t> best;
        uint64_t bestCost = UINT64_MAX;
        for (int f = 0; f < kPngFilterCount; ++f) {
            if (filter >= 0 && f != filter) continue;
            std::vector<uint8_t> line = FilterRow(f, row, prev, stride, 4);
            uint64_t cost = 0;
            for (size_t i = 1; i < line.size(); ++i) cost += line[i] < 128 ? line[i] : 256 - line[i];
            if (cost < bestCost) {
                bestCost = cost;
                best.swap(line);
            }
        }
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int strategy) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS, MAX_MEM_LEVEL, strategy);
    std::vector<uint8_t> out(deflateBound(&z, uLong(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

std::vector<uint8_t> PngFile(const Canvas& c) {
    const int w = c.Width(), h = c.Height();
    std::vector<uint8_t> rgba = c.Bgra();
    for (size_t i = 0; i < rgba.size(); i += 4) std::swap(rgba[i], rgba[i + 2]);

    // Every filter choice under both strategies; the smallest stream wins. All deterministic.
    std::vector<uint8_t> idat;
    for (int filter = -1; filter < kPngFilterCount; ++filter) {
        const std::vector<uint8_t> filtered = FilterImage(filter, rgba, w, h);
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED}) {
            std::vector<uint8_t> z = Deflate(filtered, strategy);
            if (idat.empty() || z.size() < idat.size()) idat.swap(z);
        }
    }

    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, uint32_t(w));
    PutBe32(ihdr, uint32_t(h));
    ihdr.insert(ihdr.end(), {8, kPngRgba, 0, 0, 0});  // depth, type, deflate, filter set 0, no interlace

    std::vector<uint8_t> out(kPngSignature, kPngSignature + sizeof kPngSignature);
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> IcoFile(const Canvas& c) {
    const std::vector<uint8_t> png = PngFile(c);
    std::vector<uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon
    Put16(out, 1);  // one image
    out.push_back(uint8_t(c.Width()));  // 128 fits; 0 would mean 256
    out.push_back(uint8_t(c.Height()));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, uint32_t(png.size()));
    Put32(out, kIconDirSize);
    out.insert(out.end(), png.begin(), png.end());
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
