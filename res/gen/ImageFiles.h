// Windows picture files from a canvas: the icon (a PNG inside) and the 32-bit bitmap.
#pragma once

#include <stdint.h>

#include <vector>

#include "res/gen/Raster.h"

namespace vq::res {

inline constexpr int32_t kPixelsPerMetre = 3543;  // 90 pixels per inch

// A PNG of 8-bit RGBA (straight alpha), compressed as small as zlib's best level gets it.
std::vector<uint8_t> PngFile(const Canvas& c);

// An .ico with one image stored as PNG: 32 bits per pixel with alpha, a fraction of the
// uncompressed bitmap's size. Systems from Vista on draw it.
std::vector<uint8_t> IcoFile(const Canvas& c);

// A .bmp: 32 bits per pixel, uncompressed, no colour table, rows bottom-up. The white the
// button treats as transparent gets alpha 0, every other pixel is opaque.
std::vector<uint8_t> BmpFile(const Canvas& c);

}  // namespace vq::res
