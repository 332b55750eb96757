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

// Signed files as Authenticode lays them out: the unsigned file, zero padding to a multiple of
// 8, then the certificate table, named by the PE security directory. The image is a bare PE
// header (PE32 or PE32+) with C = 512, so the trailer's two high bytes are zero.
inline constexpr uint32_t kSignedImage = 512;
inline constexpr uint32_t kSignedPe = 0x80;
inline constexpr uint32_t kSignedTableSize = 24;

inline uint32_t SecurityEntryAt(bool pe32plus) {
    return kSignedPe + kOptionalHeaderOffset + (pe32plus ? kPe32PlusDataDirectories : kPe32DataDirectories) +
           kSecurityDirectory * kDataDirectorySize;
}

inline Bytes PeImage(bool pe32plus) {
    Bytes b = Pattern(kSignedImage, 9);
    const uint32_t dirs = pe32plus ? kPe32PlusDataDirectories : kPe32DataDirectories;
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, kLfanewOffset, kSignedPe);
    Put32(b, kSignedPe, kPeSignature);
    b[kSignedPe + kSizeOfOptionalHeaderOffset] = uint8_t(dirs + 16 * kDataDirectorySize);
    b[kSignedPe + kSizeOfOptionalHeaderOffset + 1] = 0;
    b[kSignedPe + kOptionalHeaderOffset] = uint8_t(pe32plus ? kPe32PlusMagic : kPe32Magic);
    b[kSignedPe + kOptionalHeaderOffset + 1] = uint8_t((pe32plus ? kPe32PlusMagic : kPe32Magic) >> 8);
    Put32(b, kSignedPe + kOptionalHeaderOffset + dirs - 4, 16);
    Put32(b, SecurityEntryAt(pe32plus), 0);
    Put32(b, SecurityEntryAt(pe32plus) + 4, 0);
    return b;
}

// An unsigned PE container whose signing needs `padding` (0..7) zero bytes.
inline Bytes UnsignedPe(uint32_t padding, bool pe32plus) {
    // 512 + 12 + 8 + 4 is a multiple of 8, so the entry's length alone decides the padding.
    return MakeContainer(PeImage(pe32plus), {Pattern(16 + (8 - padding) % 8, 4)});
}

// What signing does to the unsigned file (checksum aside, which nobody reads).
inline Bytes Sign(Bytes b, bool pe32plus) {
    while (b.size() % kCertTableAlign) b.push_back(0);
    Put32(b, SecurityEntryAt(pe32plus), uint32_t(b.size()));
    Put32(b, SecurityEntryAt(pe32plus) + 4, kSignedTableSize);
    const Bytes table = Pattern(kSignedTableSize, 7);
    b.insert(b.end(), table.begin(), table.end());
    return b;
}

// A signed file with its security directory changed to (offset, size).
inline Bytes WithSecurityDirectory(Bytes b, bool pe32plus, uint32_t offset, uint32_t size) {
    Put32(b, SecurityEntryAt(pe32plus), offset);
    Put32(b, SecurityEntryAt(pe32plus) + 4, size);
    return b;
}

// Signed files no reader may take: a damaged security directory, padding or trailer.
inline std::vector<BrokenContainer> BrokenSignedContainers() {
    using E = ContainerError;
    const Bytes u = UnsignedPe(3, false);
    const Bytes s = Sign(u, false);
    const uint32_t t = uint32_t(s.size()) - kSignedTableSize;
    const uint32_t size = uint32_t(s.size());
    Bytes dirtyPadding = s;
    dirtyPadding[t - 1] = 1;
    Bytes total = s;
    Put32(total, kSignedImage + 4, uint32_t(u.size()) + 1);
    return {
        {"table not 8-byte aligned", WithSecurityDirectory(s, false, t + 4, kSignedTableSize - 4), E::BadCertTable},
        {"table past the end", WithSecurityDirectory(s, false, t, kSignedTableSize + 8), E::BadCertTable},
        {"table offset past the end", WithSecurityDirectory(s, false, size + 8, 8), E::BadCertTable},
        {"table offset 0xFFFFFFF8", WithSecurityDirectory(s, false, 0xFFFFFFF8u, 16), E::BadCertTable},
        {"table short of the end", WithSecurityDirectory(s, false, t, kSignedTableSize - 8), E::BadCertTable},
        {"table over the container", WithSecurityDirectory(s, false, t - 16, kSignedTableSize + 16),
         E::NoSignedContainer},
        {"table over the whole file", WithSecurityDirectory(s, false, 0, size), E::NoSignedContainer},
        {"padding not zero", dirtyPadding, E::NoSignedContainer},
        {"TotalSize not the unsigned length", total, E::NoSignedContainer},
    };
}

}  // namespace vq::test
