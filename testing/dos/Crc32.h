// CRC-32 as gzip uses it (reflected, polynomial 0xEDB88320), with its table built at compile time.
#pragma once

#include <stdint.h>

namespace vq::testing {

struct Crc32Table {
    uint32_t v[256];
};

constexpr Crc32Table MakeCrc32Table() {
    Crc32Table t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t.v[n] = c;
    }
    return t;
}

inline constexpr Crc32Table kCrc32Table = MakeCrc32Table();

// Running value: start at 0xFFFFFFFF, feed bytes, finish with ~.
inline uint32_t Crc32Update(uint32_t c, uint8_t b) { return kCrc32Table.v[(c ^ b) & 0xFF] ^ (c >> 8); }

}  // namespace vq::testing
