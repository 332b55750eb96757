// vqpack stub: places the DOS program as the MS-DOS stub of a linked Windows image, with the PE
// headers moved to kPeHeaderOffset and everything after them shifted to make room.
//
//   before                              after
//   0       MZ stub of the linker        0                  DOS program
//   e_lfanew PE headers + sections       kPeHeaderOffset    PE headers + section table
//   SizeOfHeaders  section data ...      new SizeOfHeaders  the same section data, shifted
//
// The Windows program must be linked with its first section far enough up (.text at image base
// + kFirstSectionRva) that the larger headers still end below it in memory.
#include "tools/vqpack/Stub.h"

#include <stdio.h>

#include "payload/PayloadFormat.h"
#include "payload/PeFormat.h"

namespace vq {
namespace {

// Windows loads no image with a larger file alignment; a crafted one would blow the headers up
// to gigabytes.
constexpr uint32_t kMaxFileAlignment = 0x10000;

bool Fits(const Bytes& b, uint64_t at, uint64_t len) { return at <= b.size() && len <= b.size() - at; }
uint16_t Get16(const Bytes& b, uint32_t at) { return uint16_t(ReadLE16(&b[at])); }
uint32_t Get32(const Bytes& b, uint32_t at) { return ReadLE32(&b[at]); }

// Where the PE image keeps what the splice needs to read and patch.
struct PeLayout {
    uint32_t PeOffset = 0;      // e_lfanew of the input
    uint32_t OptOffset = 0;     // the optional header
    uint32_t SectionTable = 0;
    uint16_t SectionCount = 0;
    uint32_t HeadersEnd = 0;    // end of the section table
    uint32_t FileSize = 0;
    uint32_t SizeOfHeaders = 0;
    uint32_t FileAlignment = 0;
    uint32_t DirsOffset = 0;    // data directories
    uint32_t DirCount = 0;
};

bool ParsePe(const Bytes& pe, PeLayout& l, std::string& err) {
    if (!Fits(pe, 0, kMzHeaderSize) || Get16(pe, 0) != kMzMagic) {
        err = "not an MZ file";
        return false;
    }
    l.FileSize = uint32_t(pe.size());
    l.PeOffset = Get32(pe, kLfanewOffset);
    if (!Fits(pe, l.PeOffset, kOptionalHeaderOffset) || Get32(pe, l.PeOffset) != kPeSignature) {
        err = "no PE header where e_lfanew points";
        return false;
    }
    l.SectionCount = Get16(pe, l.PeOffset + kNumberOfSectionsOffset);
    const uint16_t optSize = Get16(pe, l.PeOffset + kSizeOfOptionalHeaderOffset);
    l.OptOffset = l.PeOffset + kOptionalHeaderOffset;
    l.SectionTable = l.OptOffset + optSize;
    l.HeadersEnd = l.SectionTable + l.SectionCount * kSectionHeaderSize;
    if (!Fits(pe, l.OptOffset, optSize) || !Fits(pe, l.SectionTable, uint64_t(l.SectionCount) * kSectionHeaderSize)) {
        err = "PE headers run past the end of the file";
        return false;
    }
    const uint16_t magic = optSize >= 2 ? Get16(pe, l.OptOffset) : 0;
    const bool plus = magic == kPe32PlusMagic;
    if (magic != kPe32Magic && !plus) {
        err = "optional header is neither PE32 nor PE32+";
        return false;
    }
    const uint32_t dirs = plus ? kPe32PlusDataDirectories : kPe32DataDirectories;
    if (optSize < dirs) {
        err = "optional header too short";
        return false;
    }
    l.DirCount = Get32(pe, l.OptOffset + dirs - kNumberOfRvaAndSizesSize);
    l.DirsOffset = l.OptOffset + dirs;
    if (uint64_t(l.DirCount) * kDataDirectorySize > optSize - dirs) {
        err = "data directories run past the optional header";
        return false;
    }
    l.FileAlignment = Get32(pe, l.OptOffset + kFileAlignmentOffset);
    l.SizeOfHeaders = Get32(pe, l.OptOffset + kSizeOfHeadersOffset);
    if (l.FileAlignment == 0 || (l.FileAlignment & (l.FileAlignment - 1)) != 0) {
        err = "FileAlignment is not a power of two";
        return false;
    }
    if (l.FileAlignment > kMaxFileAlignment) {
        err = "FileAlignment is larger than 64 KiB";
        return false;
    }
    if (l.SizeOfHeaders < l.HeadersEnd || l.SizeOfHeaders > pe.size()) {
        err = "SizeOfHeaders does not cover the headers";
        return false;
    }
    return true;
}

uint32_t Section(const PeLayout& l, uint32_t i, uint32_t field) { return l.SectionTable + i * kSectionHeaderSize + field; }

bool Directory(const Bytes& pe, const PeLayout& l, uint32_t index, uint32_t& rva, uint32_t& size) {
    if (index >= l.DirCount) return false;
    rva = Get32(pe, l.DirsOffset + index * kDataDirectorySize);
    size = Get32(pe, l.DirsOffset + index * kDataDirectorySize + 4);
    return size != 0;
}

// File offset of an RVA inside some section's raw data, in the input's layout.
bool RvaToOffset(const Bytes& pe, const PeLayout& l, uint32_t rva, uint32_t len, uint32_t& offset) {
    for (uint32_t i = 0; i < l.SectionCount; ++i) {
        const uint32_t va = Get32(pe, Section(l, i, kSectionVirtualAddress));
        const uint32_t raw = Get32(pe, Section(l, i, kSectionSizeOfRawData));
        if (rva >= va && uint64_t(rva) + len <= uint64_t(va) + raw) {
            offset = Get32(pe, Section(l, i, kSectionPointerToRawData)) + (rva - va);
            return Fits(pe, offset, len);
        }
    }
    return false;
}

// A file pointer of the input after the shift: 0 stays 0 (nothing there); anything else must
// lie past the old headers, where the shifted data starts, and inside the file, so that the
// shifted value cannot wrap.
bool Shift(uint32_t ptr, const PeLayout& l, int64_t delta, uint32_t& out, std::string& err, const char* what) {
    if (ptr == 0) {
        out = 0;
        return true;
    }
    if (ptr < l.SizeOfHeaders) {
        err = std::string(what) + " points into the PE headers";
        return false;
    }
    if (ptr > l.FileSize) {
        err = std::string(what) + " points past the end of the file";
        return false;
    }
    out = uint32_t(int64_t(ptr) + delta);
    return true;
}

}  // namespace

bool CheckLinkedImage(const Bytes& image, std::string& err) {
    if (image.size() > kMaxFileSize) {
        err = ContainerErrorText(ContainerError::TooLarge);
        return false;
    }
    MemorySource src(image.data(), image.size());
    TContainerInfo info;
    const ContainerError found = ReadContainerHeader(src, uint32_t(image.size()), info);
    if (found == ContainerError::None || found == ContainerError::TooManyEntries) {  // the magic is there
        err = "the image already carries a payload container; give the program as linked";
        return false;
    }
    // The readers' own test, so that what they would read as signed is refused here.
    if (ReadCertTableEntry(src, uint32_t(image.size())).Size != 0) {
        err = "the image carries a certificate table: it was signed before packing; sign only the file "
              "vqpack build writes";
        return false;
    }
    return true;
}

bool CheckDosProgram(const Bytes& dos, std::string& err) {
    if (!Fits(dos, 0, kMzHeaderSize) || Get16(dos, 0) != kMzMagic) {
        err = "the DOS program is not an MZ file";
        return false;
    }
    const uint32_t pages = Get16(dos, kMzPages), lastPage = Get16(dos, kMzLastPageBytes);
    const uint32_t declared = pages == 0 ? 0 : (pages - 1) * 512 + (lastPage == 0 ? 512 : lastPage);
    if (dos.size() > kPeHeaderOffset || declared > kPeHeaderOffset) {
        char msg[80];
        snprintf(msg, sizeof msg, "the DOS program is larger than 0x%X bytes", unsigned(kPeHeaderOffset));
        err = msg;
        return false;
    }
    const uint32_t relocs = Get16(dos, kMzRelocTable), relocEnd = relocs + 4u * Get16(dos, kMzRelocCount);
    if (relocEnd > relocs && relocs < kLfanewOffset + 4 && relocEnd > kLfanewOffset) {
        err = "the DOS program's relocation table covers e_lfanew";
        return false;
    }
    return true;
}

bool PlaceDosProgram(const Bytes& dos, const Bytes& pe, Bytes& out, std::string& err) {
    if (!CheckDosProgram(dos, err) || !CheckLinkedImage(pe, err)) return false;
    PeLayout l;
    if (!ParsePe(pe, l, err)) return false;

    const uint32_t headerBytes = l.HeadersEnd - l.PeOffset;
    const uint32_t newSizeOfHeaders = (kPeHeaderOffset + headerBytes + l.FileAlignment - 1) & ~(l.FileAlignment - 1);
    uint32_t firstVa = UINT32_MAX;
    for (uint32_t i = 0; i < l.SectionCount; ++i) {
        const uint32_t va = Get32(pe, Section(l, i, kSectionVirtualAddress));
        if (va < firstVa) firstVa = va;
    }
    if (newSizeOfHeaders > firstVa) {
        char msg[200];
        snprintf(msg, sizeof msg,
                 "the headers would end at 0x%X, past the first section at RVA 0x%X; link with "
                 "-Wl,--section-start=.text=<image base + 0x%X>",
                 unsigned(newSizeOfHeaders), unsigned(firstVa), unsigned(kFirstSectionRva));
        err = msg;
        return false;
    }
    const int64_t delta = int64_t(newSizeOfHeaders) - l.SizeOfHeaders;
    if (uint64_t(int64_t(pe.size()) + delta) > kMaxFileSize) {
        err = "the result would reach 2 GiB";
        return false;
    }

    // DOS program, padded; PE headers, padded; then everything after the old headers.
    out.assign(dos.begin(), dos.end());
    out.resize(kPeHeaderOffset, 0);
    WriteLE32(&out[kLfanewOffset], kPeHeaderOffset);
    out.insert(out.end(), pe.begin() + l.PeOffset, pe.begin() + l.HeadersEnd);
    out.resize(newSizeOfHeaders, 0);
    out.insert(out.end(), pe.begin() + l.SizeOfHeaders, pe.end());

    // The same fields in the output: a header field moves with the headers, a field in
    // section data by delta. Whatever the input claims, no write leaves the output.
    auto patch = [&](uint32_t inputField, int64_t by, uint32_t value) {
        const int64_t to = int64_t(inputField) + by;
        if (to < 0 || !Fits(out, uint64_t(to), 4)) {
            err = "a field to patch lies outside the result";
            return false;
        }
        WriteLE32(&out[size_t(to)], value);
        return true;
    };
    const int64_t move = int64_t(kPeHeaderOffset) - l.PeOffset;
    uint32_t v, rva, size;
    if (!patch(l.OptOffset + kSizeOfHeadersOffset, move, newSizeOfHeaders) ||
        !patch(l.OptOffset + kCheckSumOffset, move, 0))
        return false;
    const uint32_t symbols = l.PeOffset + kPointerToSymbolTableOffset;
    if (!Shift(Get32(pe, symbols), l, delta, v, err, "PointerToSymbolTable") || !patch(symbols, move, v)) return false;
    for (uint32_t i = 0; i < l.SectionCount; ++i) {
        for (uint32_t field : {kSectionPointerToRawData, kSectionPointerToRelocations, kSectionPointerToLinenumbers}) {
            if (!Shift(Get32(pe, Section(l, i, field)), l, delta, v, err, "a section's file pointer") ||
                !patch(Section(l, i, field), move, v))
                return false;
        }
    }
    if (Directory(pe, l, kDebugDirectory, rva, size)) {
        uint32_t dir;
        if (!RvaToOffset(pe, l, rva, size, dir)) {
            err = "the debug directory lies outside the sections' data";
            return false;
        }
        // A section without file data maps it into the headers, which do not move by delta.
        if (dir < l.SizeOfHeaders) {
            err = "the debug directory lies inside the PE headers";
            return false;
        }
        for (uint32_t e = 0; e + kDebugEntrySize <= size; e += kDebugEntrySize) {
            const uint32_t field = dir + e + kDebugEntryPointerToRawData;
            if (!Shift(Get32(pe, field), l, delta, v, err, "a debug entry") || !patch(field, delta, v)) return false;
        }
    }
    return true;
}

}  // namespace vq
