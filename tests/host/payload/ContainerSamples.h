// Containers for the payload tests, sound and broken, shared by the native and the Windows tests.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "payload/PayloadFormat.h"
#include "tools/vqpack/Bytes.h"
#include "tools/vqpack/ContainerWriter.h"

namespace vq::test {

// Bytes that differ from entry to entry, so a mixed-up extent shows.
inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes b(size);
    uint32_t x = 0x9E3779B9u * (seed + 1u);
    for (auto& v : b) {
        x = x * 1664525u + 1013904223u;
        v = uint8_t(x >> 24);
    }
    return b;
}

inline Bytes MakeContainer(const Bytes& image, const std::vector<Bytes>& entries) {
    Bytes out;
    std::string err;
    if (!BuildContainer(image, entries, out, err)) out.clear();
    return out;
}

// The small container the broken ones are made from: a 64-byte image and entries of 5, 0 and
// 7 bytes. Where each piece lies:
inline constexpr uint32_t kSmallImage = 64;   // C; header at 64..75
inline constexpr uint32_t kSmallRecord1 = 76;  // data 84..88
inline constexpr uint32_t kSmallRecord2 = 89;  // no data
inline constexpr uint32_t kSmallRecord3 = 97;  // data 105..111
inline constexpr uint32_t kSmallTrailer = 112;
inline constexpr uint32_t kSmallSize = 116;

inline Bytes SmallContainer() {
    return MakeContainer(Pattern(kSmallImage, 0), {Pattern(5, 1), Bytes{}, Pattern(7, 3)});
}

inline void Put32(Bytes& b, uint32_t pos, uint32_t v) { WriteLE32(b.data() + pos, v); }

inline Bytes WithTrailer(Bytes b, uint32_t c) {
    uint8_t t[4];
    WriteLE32(t, c);
    b.insert(b.end(), t, t + 4);
    return b;
}

// The small container cut after `keep` bytes and closed with a trailer that still says C.
inline Bytes CutSmall(uint32_t keep) {
    Bytes b = SmallContainer();
    b.resize(keep);
    return WithTrailer(b, kSmallImage);
}

inline Bytes PatchSmall(uint32_t pos, uint32_t v) {
    Bytes b = SmallContainer();
    Put32(b, pos, v);
    return b;
}

struct BrokenContainer {
    std::string Name;
    Bytes File;
    ContainerError Expected;
};

// Files no reader may take, each with the reason the format's readers give.
inline std::vector<BrokenContainer> BrokenContainers() {
    using E = ContainerError;
    const uint32_t header = kSmallImage;
    return {
        {"empty file", Bytes{}, E::TooSmall},
        {"only a trailer", WithTrailer(Bytes{}, 0), E::TooSmall},
        {"one byte short of trailer and header", WithTrailer(Bytes(11, 0), 0), E::TooSmall},
        {"trailer 0xFFFFFFFF", PatchSmall(kSmallTrailer, 0xFFFFFFFFu), E::TrailerOutOfRange},
        {"trailer 0xFFFFFFF8", PatchSmall(kSmallTrailer, 0xFFFFFFF8u), E::TrailerOutOfRange},
        {"trailer leaves 11 bytes for the header", PatchSmall(kSmallTrailer, kSmallTrailer - 11),
         E::TrailerOutOfRange},
        {"trailer points at itself", PatchSmall(kSmallTrailer, kSmallTrailer), E::TrailerOutOfRange},
        {"trailer one byte past the header", PatchSmall(kSmallTrailer, kSmallImage + 1), E::BadMagic},
        {"magic PQV-", PatchSmall(header, 0x2D565150u), E::BadMagic},
        {"magic in the wrong byte order", PatchSmall(header, 0x5051565Fu), E::BadMagic},
        {"cut inside the header", CutSmall(header + 6), E::TrailerOutOfRange},
        {"cut right after the header", CutSmall(header + kHeaderSize), E::TooManyEntries},
        {"cut inside record 1", CutSmall(kSmallRecord1 + 4), E::TooManyEntries},
        {"cut inside the data of entry 1", CutSmall(kSmallRecord1 + 10), E::TooManyEntries},
        {"cut inside the data of entry 3", CutSmall(kSmallTrailer - 2), E::RecordPastEnd},
        {"EntryCount 0xFFFFFFFF", PatchSmall(header + 8, 0xFFFFFFFFu), E::TooManyEntries},
        {"EntryCount whose table size wraps 32 bits", PatchSmall(header + 8, 0x20000001u),
         E::TooManyEntries},
        {"EntryCount one more than the records", PatchSmall(header + 8, 5), E::RecordPastEnd},
        {"Length 0xFFFFFFFF", PatchSmall(kSmallRecord1 + 4, 0xFFFFFFFFu), E::RecordPastEnd},
        {"Length 0xFFFFFFF8 would walk backwards", PatchSmall(kSmallRecord2 + 4, 0xFFFFFFF8u),
         E::RecordPastEnd},
        {"Length 0x80000000", PatchSmall(kSmallRecord1 + 4, 0x80000000u), E::RecordPastEnd},
        {"last Length one byte into the trailer", PatchSmall(kSmallRecord3 + 4, 8), E::RecordPastEnd},
        {"Offset 0xFFFFFFFF", PatchSmall(kSmallRecord1, 0xFFFFFFFFu), E::DataPastEnd},
        {"Offset 0xFFFFFFF9 wraps with Length 7", PatchSmall(kSmallRecord3, 0xFFFFFFF9u), E::DataPastEnd},
        {"Offset at the trailer", PatchSmall(kSmallRecord3, kSmallTrailer), E::DataPastEnd},
        {"Offset one byte too far for its Length", PatchSmall(kSmallRecord3, kSmallRecord3 + 9),
         E::DataPastEnd},
        {"Offset past the end of the file", PatchSmall(kSmallRecord1, kSmallSize), E::DataPastEnd},
    };
}

}  // namespace vq::test
