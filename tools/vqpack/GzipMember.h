// The gzip members the payload carries: making them with zlib, reading their header, checking them.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/vqpack/Bytes.h"

namespace vq {

// Header values every ".gz" entry of the payload carries.
inline constexpr uint8_t kGzipId1 = 0x1F;
inline constexpr uint8_t kGzipId2 = 0x8B;
inline constexpr uint8_t kGzipMethodDeflate = 8;
inline constexpr uint8_t kGzipFlagName = 0x08;  // FNAME, the only flag set
inline constexpr uint8_t kGzipXflMaximum = 2;   // compressed with the slowest, best setting
inline constexpr uint8_t kGzipOsNtfs = 11;
inline constexpr size_t kGzipFixedHeaderSize = 10;
inline constexpr size_t kGzipTrailerSize = 8;  // CRC32, ISIZE
// Deflate never shrinks data further: a 258-byte match costs at least two bits.
inline constexpr size_t kDeflateBestRatio = 1032;

struct GzipHeader {
    uint8_t Method = 0;
    uint8_t Flags = 0;
    uint8_t ExtraFlags = 0;
    uint8_t Os = 0;
    uint32_t Mtime = 0;
    bool HasName = false;
    std::string Name;  // FNAME without its terminating zero
    size_t Size = 0;   // bytes before the deflate data
};

// Reads the header of the member at data[0..size): the fixed ten bytes and the optional fields
// its flags announce. False when it is not a gzip header or ends early. The values are not
// judged here.
bool ParseGzipHeader(const uint8_t* data, size_t size, GzipHeader& out);

inline constexpr size_t kGzipPrefixSize = 32;

// What decompressing a member gave.
struct GzipContents {
    uint32_t Crc32 = 0;      // of the unpacked bytes
    uint64_t Size = 0;       // unpacked bytes
    size_t MemberSize = 0;   // header + deflate data + trailer
    uint32_t StoredCrc32 = 0;
    uint32_t StoredIsize = 0;
    uint8_t Prefix[kGzipPrefixSize] = {};  // first unpacked bytes, for signature checks
    size_t PrefixSize = 0;
};

// Inflates the member at data[0..size) without keeping its output (so a member that unpacks to
// far more than memory still only streams). False with a reason when the deflate data is
// broken or the member ends before its trailer.
bool InflateGzipMember(const uint8_t* data, size_t size, const GzipHeader& header,
                       GzipContents& out, std::string& err);

// Every way the member at data[0..size) differs from what the payload's gzip members must be:
// one sound member with the header values above, a stored name, CRC32 and ISIZE matching and
// nothing after it. Empty when it is sound; contents is filled when it could be inflated.
std::vector<std::string> CheckGzipMember(const uint8_t* data, size_t size, GzipContents& contents);

// gzip stores FNAME in ISO 8859-1. The name as typed (UTF-8) in that encoding; false with the
// reason when it is no UTF-8 or holds a character ISO 8859-1 lacks.
bool StoredNameFromUtf8(const std::string& utf8, std::string& latin1, std::string& err);

// One member of data with zlib at its best compression, header FNAME = storedName and MTIME =
// mtime, XFL 2, OS 11. The same inputs always give the same bytes.
bool MakeGzipMember(const uint8_t* data, size_t size, const std::string& storedName,
                    uint32_t mtime, Bytes& out, std::string& err);

}  // namespace vq
