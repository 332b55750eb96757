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
//   E-4      +--------------------------------+
//            | ContainerOffset                |   4: the value C
//   E        +--------------------------------+   E = TotalSize: the end of an unsigned file
//
// A signed file (Authenticode, added after packing) goes on past E:
//
//   E        +--------------------------------+
//            | zero padding                   |   0..7 bytes, so that the table is 8-aligned
//   T        +--------------------------------+   T = the PE security directory's file offset
//            | WIN_CERTIFICATE table          |   S = the directory's size; T + S = file size
//            +--------------------------------+
//
// Signing also sets the PE checksum and the security directory entry in the image's headers;
// the signature's digest covers everything else before T, the container and the padding
// included (payload/SignedDigest.h checks it). The trailer of a
// signed file is therefore found from T, not from the file's end: the one E in T-7 .. T with
// only zero bytes between E and T whose trailer leads to "PQV_" and whose header's TotalSize
// is E. Zero bytes alone cannot decide, because C's high bytes are often zero.
//
// All integers are unsigned 32-bit little-endian and unaligned. Readers walk from record to
// record by Length and take each entry's data from Offset. File size stays below 2^31 because
// the Windows reader positions the file with signed 32-bit distances.
//
// Freestanding: fixed-width integers only, no allocation, no OS calls. It builds for the
// Windows program, for vqpack on the host and for the 16-bit DOS program alike.
#pragma once

#include <stdint.h>

#include "payload/PeFormat.h"

namespace vq {

inline constexpr uint32_t kPayloadMagic = 0x5F565150;  // "PQV_" read as little-endian
inline constexpr uint32_t kTrailerSize = 4;
inline constexpr uint32_t kHeaderSize = 12;
inline constexpr uint32_t kHeaderTotalSizeOffset = 4;   // after the magic
inline constexpr uint32_t kHeaderEntryCountOffset = 8;
inline constexpr uint32_t kRecordSize = 8;
inline constexpr uint32_t kMaxFileSize = 0x7FFFFFFFu;  // largest size a signed 32-bit seek reaches

inline constexpr uint32_t kCertTableAlign = 8;  // and so at most 7 bytes of padding

struct TPayloadHeader {
    uint32_t Magic;
    // The faces read it only in a signed file, where it tells which end is the container's;
    // vqpack verify holds every file to it.
    uint32_t TotalSize;
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
    return TPayloadHeader{ReadLE32(b), ReadLE32(b + kHeaderTotalSizeOffset), ReadLE32(b + kHeaderEntryCountOffset)};
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
    BadCertTable,       // security directory outside the file, misaligned, or not ending it
    NoSignedContainer,  // no single container ends in the padding before the certificate table
};

// The certificate table a signed file carries; Size 0 when there is none.
struct TCertTable {
    uint32_t Offset;
    uint32_t Size;
};

// Where a signed file's headers were written by the signing tool, and the table it appended.
struct TSignedLayout {
    TCertTable Cert;
    uint32_t CheckSumAt;  // file offset of the optional header's CheckSum
    uint32_t EntryAt;     // file offset of the security directory entry
};

// What a reader learned from the trailer and the header.
struct TContainerInfo {
    uint32_t FileSize;
    uint32_t ContainerEnd;  // E: just after the trailer; the file size unless the file is signed
    uint32_t ImageSize;     // C: where the header starts and the length of entry 0
    TPayloadHeader Header;
    TCertTable Cert;
};

inline uint32_t ReadLE16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// Source: anything with `bool Read(uint32_t pos, void* dst, uint32_t len)` that reads exactly
// len bytes at pos, or returns false.
//
// The security directory of the PE headers in front of the container, and where the signing
// tool wrote into those headers (the two places a signature's digest leaves out). A file that is
// no PE file, or whose headers cannot hold the directory, has none: such a file is read as
// unsigned, and whatever is wrong with it shows in the container's own checks. The table is not
// checked against the file here.
template <class Source>
TSignedLayout ReadSignedLayout(Source& src, uint32_t fileSize) {
    const TSignedLayout none{{0, 0}, 0, 0};
    uint8_t b[kOptionalHeaderOffset + 2];
    if (fileSize < kLfanewOffset + 4 || !src.Read(0, b, 2) || ReadLE16(b) != kMzMagic ||
        !src.Read(kLfanewOffset, b, 4))
        return none;
    const uint32_t pe = ReadLE32(b);
    if (pe > fileSize || fileSize - pe < sizeof b || !src.Read(pe, b, sizeof b) ||
        ReadLE32(b) != kPeSignature)
        return none;
    const uint32_t magic = ReadLE16(b + kOptionalHeaderOffset);
    const uint32_t dirs = magic == kPe32Magic       ? kPe32DataDirectories
                          : magic == kPe32PlusMagic ? kPe32PlusDataDirectories
                                                    : 0;
    const uint32_t entry = dirs + kSecurityDirectory * kDataDirectorySize;
    if (dirs == 0 || ReadLE16(b + kSizeOfOptionalHeaderOffset) < entry + kDataDirectorySize) return none;
    // NumberOfRvaAndSizes stands just before the directories; both lie within 64 KiB of pe.
    const uint32_t at = pe + kOptionalHeaderOffset + dirs - kNumberOfRvaAndSizesSize;
    if (fileSize - pe < kOptionalHeaderOffset + entry + kDataDirectorySize ||
        !src.Read(at, b, kNumberOfRvaAndSizesSize) || ReadLE32(b) <= kSecurityDirectory ||
        !src.Read(pe + kOptionalHeaderOffset + entry, b, kDataDirectorySize))
        return none;
    return TSignedLayout{{ReadLE32(b), ReadLE32(b + 4)}, pe + kOptionalHeaderOffset + kCheckSumOffset,
                         pe + kOptionalHeaderOffset + entry};
}

template <class Source>
TCertTable ReadCertTableEntry(Source& src, uint32_t fileSize) {
    return ReadSignedLayout(src, fileSize).Cert;
}

// A signing tool puts the table at an 8-byte boundary and ends the file with it.
inline bool CertTableEndsFile(const TCertTable& t, uint32_t fileSize) {
    return t.Offset % kCertTableAlign == 0 && t.Offset <= fileSize && t.Size == fileSize - t.Offset;
}

// The trailer that ends at `end` and the header it points at; checks that the header fits
// before the trailer and carries the magic.
template <class Source>
ContainerError ReadTrailerAndHeader(Source& src, uint32_t end, TContainerInfo& info) {
    if (end < kTrailerSize + kHeaderSize) return ContainerError::TooSmall;
    uint8_t b[kHeaderSize];
    if (!src.Read(end - kTrailerSize, b, kTrailerSize)) return ContainerError::ReadFailed;
    const uint32_t c = ReadLE32(b);
    if (c > end - kTrailerSize - kHeaderSize) return ContainerError::TrailerOutOfRange;
    if (!src.Read(c, b, kHeaderSize)) return ContainerError::ReadFailed;
    info.ContainerEnd = end;
    info.ImageSize = c;
    info.Header = DecodeHeader(b);
    return info.Header.Magic == kPayloadMagic ? ContainerError::None : ContainerError::BadMagic;
}

// Where the container of a signed file ends: see the drawing at the top. Exactly one end in
// the padding must qualify; the table must be aligned and end the file.
template <class Source>
ContainerError FindSignedContainer(Source& src, uint32_t fileSize, TContainerInfo& info) {
    const TCertTable t = info.Cert;
    if (!CertTableEndsFile(t, fileSize)) return ContainerError::BadCertTable;
    uint32_t found = 0;
    TContainerInfo match{};
    for (uint32_t pad = 0; pad < kCertTableAlign && pad <= t.Offset; ++pad) {
        uint8_t zero = 0;
        if (pad != 0 && (!src.Read(t.Offset - pad, &zero, 1) || zero != 0)) break;
        const uint32_t end = t.Offset - pad;
        if (ReadTrailerAndHeader(src, end, info) == ContainerError::None && info.Header.TotalSize == end) {
            ++found;
            match = info;
        }
    }
    if (found != 1) return ContainerError::NoSignedContainer;
    info = match;
    return ContainerError::None;
}

// Finds the trailer (at the file's end, or before a signature's padding) and checks it, the
// magic and that EntryCount could fit.
template <class Source>
ContainerError ReadContainerHeader(Source& src, uint32_t fileSize, TContainerInfo& info) {
    if (fileSize > kMaxFileSize) return ContainerError::TooLarge;
    if (fileSize < kTrailerSize + kHeaderSize) return ContainerError::TooSmall;
    info.FileSize = fileSize;
    info.Cert = ReadCertTableEntry(src, fileSize);
    const ContainerError e = info.Cert.Size == 0 ? ReadTrailerAndHeader(src, fileSize, info)
                                                 : FindSignedContainer(src, fileSize, info);
    if (e != ContainerError::None) return e;
    const uint32_t room = info.ContainerEnd - kTrailerSize - (info.ImageSize + kHeaderSize);
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
    const uint32_t end = info.ContainerEnd - kTrailerSize;
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
        case ContainerError::BadCertTable:
            return "the certificate table lies outside the file, is not 8-byte aligned or does not end the file";
        case ContainerError::NoSignedContainer:
            return "no single container ends in the zero padding before the certificate table";
    }
    return "unknown container error";
}

}  // namespace vq
