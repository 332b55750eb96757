// The payload container appended to Vorquint.exe: the one description every reader and writer uses.
//
//   file offset                                   size
//   0        +--------------------------------+
//            | executable image  (entry 0)    |   C bytes
//   C        +--------------------------------+
//            | TPayloadHeader                 |   12: Magic "PQV_", TotalSize, EntryCount N
//   C+12     +--------------------------------+
//            | TPayloadEntry 1                |   8: Offset (= its own offset + 8), Length L1
//            | data of entry 1                |   L1
//            +--------------------------------+
//            | ...  entries 2 .. N-1          |   8 + Lk each, no padding, any alignment
//   size-4   +--------------------------------+
//            | ContainerOffset                |   4: the value C
//            +--------------------------------+
//
// All integers are unsigned 32-bit little-endian and unaligned. Readers walk from record to
// record by Length and take each entry's data from Offset. File size stays below 2^31 because
// the Windows reader positions the file with signed 32-bit distances.
//
// Freestanding: fixed-width integers only, no allocation, no OS calls. It builds for the
// Windows program, for vqpack on the host and for the 16-bit DOS program alike.
#pragma once

#include <stdint.h>

namespace vq {

inline constexpr uint32_t kPayloadMagic = 0x5F565150;  // "PQV_" read as little-endian
inline constexpr uint32_t kTrailerSize = 4;
inline constexpr uint32_t kHeaderSize = 12;
inline constexpr uint32_t kRecordSize = 8;
inline constexpr uint32_t kMaxFileSize = 0x7FFFFFFFu;  // largest size a signed 32-bit seek reaches

struct TPayloadHeader {
    uint32_t Magic;
    uint32_t TotalSize;   // written by packers, never read by the program
    uint32_t EntryCount;  // records + 1: entry 0 is the image and has no record
};

struct TPayloadEntry {
    uint32_t Offset;  // absolute offset of the data
    uint32_t Length;
};

static_assert(sizeof(TPayloadHeader) == kHeaderSize, "header is 12 bytes on disk");
static_assert(sizeof(TPayloadEntry) == kRecordSize, "record is 8 bytes on disk");

inline uint32_t ReadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void WriteLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline TPayloadHeader DecodeHeader(const uint8_t* b) {
    return TPayloadHeader{ReadLE32(b), ReadLE32(b + 4), ReadLE32(b + 8)};
}

inline TPayloadEntry DecodeEntry(const uint8_t* b) {
    return TPayloadEntry{ReadLE32(b), ReadLE32(b + 4)};
}

enum class ContainerError : uint8_t {
    None,
    TooSmall,           // shorter than trailer + header
    TooLarge,           // 2 GiB or more
    TrailerOutOfRange,  // ContainerOffset leaves no room for the header before the trailer
    ReadFailed,         // a read failed or came back short
    BadMagic,
    TooManyEntries,     // more records than could fit between header and trailer
    RecordPastEnd,      // a record or the data it skips runs into the trailer
    DataPastEnd,        // Offset/Length name bytes outside the file before the trailer
};

// What a reader learned from the trailer and the header.
struct TContainerInfo {
    uint32_t FileSize;
    uint32_t ImageSize;  // C: where the header starts and the length of entry 0
    TPayloadHeader Header;
};

// Source: anything with `bool Read(uint32_t pos, void* dst, uint32_t len)` that reads exactly
// len bytes at pos, or returns false. Checks trailer, magic and that EntryCount could fit.
template <class Source>
ContainerError ReadContainerHeader(Source& src, uint32_t fileSize, TContainerInfo& info) {
    if (fileSize > kMaxFileSize) return ContainerError::TooLarge;
    if (fileSize < kTrailerSize + kHeaderSize) return ContainerError::TooSmall;
    uint8_t b[kHeaderSize];
    if (!src.Read(fileSize - kTrailerSize, b, kTrailerSize)) return ContainerError::ReadFailed;
    const uint32_t c = ReadLE32(b);
    if (c > fileSize - kTrailerSize - kHeaderSize) return ContainerError::TrailerOutOfRange;
    if (!src.Read(c, b, kHeaderSize)) return ContainerError::ReadFailed;
    info.FileSize = fileSize;
    info.ImageSize = c;
    info.Header = DecodeHeader(b);
    if (info.Header.Magic != kPayloadMagic) return ContainerError::BadMagic;
    const uint32_t room = fileSize - kTrailerSize - (c + kHeaderSize);
    if (info.Header.EntryCount > 1 && info.Header.EntryCount - 1 > room / kRecordSize)
        return ContainerError::TooManyEntries;
    return ContainerError::None;
}

// Walks the records by Length into table[1 .. EntryCount-1]; table[0] is not touched (entry 0
// is always bytes 0 .. C-1). Every record, every skip and every data extent must end at or
// before the trailer, so a reader can trust the table without further checks. On an error,
// *badEntry (when given) says which entry's record was at fault.
template <class Source>
ContainerError ReadContainerRecords(Source& src, const TContainerInfo& info, TPayloadEntry* table,
                                    uint32_t* badEntry = nullptr) {
    const uint32_t end = info.FileSize - kTrailerSize;
    uint32_t pos = info.ImageSize + kHeaderSize;
    for (uint32_t i = 1; i < info.Header.EntryCount; ++i) {
        if (badEntry) *badEntry = i;
        if (end - pos < kRecordSize) return ContainerError::RecordPastEnd;
        uint8_t b[kRecordSize];
        if (!src.Read(pos, b, kRecordSize)) return ContainerError::ReadFailed;
        const TPayloadEntry e = DecodeEntry(b);
        pos += kRecordSize;
        if (e.Length > end - pos) return ContainerError::RecordPastEnd;
        if (e.Offset > end || e.Length > end - e.Offset) return ContainerError::DataPastEnd;
        table[i] = e;
        pos += e.Length;
    }
    return ContainerError::None;
}

// The extent of entry i once the table is read.
inline TPayloadEntry EntryExtent(const TContainerInfo& info, const TPayloadEntry* table, uint32_t i) {
    return i == 0 ? TPayloadEntry{0, info.ImageSize} : table[i];
}

inline const char* ContainerErrorText(ContainerError e) {
    switch (e) {
        case ContainerError::None: return "ok";
        case ContainerError::TooSmall: return "file is shorter than a container trailer and header";
        case ContainerError::TooLarge: return "file is 2 GiB or larger";
        case ContainerError::TrailerOutOfRange: return "trailer points outside the file";
        case ContainerError::ReadFailed: return "read failed or came back short";
        case ContainerError::BadMagic: return "no \"PQV_\" container header where the trailer points";
        case ContainerError::TooManyEntries: return "entry count is larger than the file could hold";
        case ContainerError::RecordPastEnd: return "an entry record or its data runs past the end of the file";
        case ContainerError::DataPastEnd: return "an entry's Offset and Length point outside the file";
    }
    return "unknown container error";
}

}  // namespace vq
