// Windows picture files from a canvas: the 32-bit icon and the 32-bit bitmap.
#pragma once

#include <stdint.h>

#include <vector>

#include "res/gen/Raster.h"

namespace vq::res {

inline constexpr int32_t kPixelsPerMetre = 3543;  // 90 pixels per inch

// An .ico with one 32-bit image (straight alpha) and its AND mask.
std::vector<uint8_t> IcoFile(const Canvas& c);

// A .bmp: 32 bits per pixel, uncompressed, no colour table, rows bottom-up. The white the
// button treats as transparent gets alpha 0, every other pixel is opaque.
std::vector<uint8_t> BmpFile(const Canvas& c);

}  // namespace vq::res
