// Where an executable's headers keep what the container's readers and vqpack's splice look at.
//
//   0                 MZ header          "MZ", page counts, relocation table; e_lfanew at 0x3C
//   e_lfanew          "PE\0\0"           offsets from here: COFF header, then the optional header
//   +24               optional header    offsets from its start; PE32 or PE32+ by its magic
//     ...             data directories   8 bytes each (address, size) after NumberOfRvaAndSizes
//   +24 + SizeOfOptionalHeader
//                     section table      40 bytes a section
//
// Only offsets and sizes: no code, so a reader that includes this costs nothing for the facts it
// does not use (the DOS program's load image is tight).
#pragma once

#include <stdint.h>

namespace vq {

// MZ header.
inline constexpr uint32_t kMzMagic = 0x5A4D;  // "MZ" read as little-endian
inline constexpr uint32_t kMzLastPageBytes = 0x02;
inline constexpr uint32_t kMzPages = 0x04;
inline constexpr uint32_t kMzRelocCount = 0x06;
inline constexpr uint32_t kMzRelocTable = 0x18;
inline constexpr uint32_t kLfanewOffset = 0x3C;
inline constexpr uint32_t kMzHeaderSize = 0x40;  // up to and with e_lfanew

// Signature and COFF header, from the signature.
inline constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
inline constexpr uint32_t kNumberOfSectionsOffset = 6;
inline constexpr uint32_t kPointerToSymbolTableOffset = 12;
inline constexpr uint32_t kSizeOfOptionalHeaderOffset = 20;
inline constexpr uint32_t kOptionalHeaderOffset = 24;

// Optional header, from its start.
inline constexpr uint32_t kPe32Magic = 0x10B;
inline constexpr uint32_t kPe32PlusMagic = 0x20B;
inline constexpr uint32_t kFileAlignmentOffset = 36;
inline constexpr uint32_t kSizeOfHeadersOffset = 60;
inline constexpr uint32_t kCheckSumOffset = 64;
inline constexpr uint32_t kCheckSumSize = 4;
inline constexpr uint32_t kPe32DataDirectories = 96;
inline constexpr uint32_t kPe32PlusDataDirectories = 112;
inline constexpr uint32_t kNumberOfRvaAndSizesSize = 4;  // the count stands just before the directories

// Data directories. The security directory's address is a file offset, not an RVA.
inline constexpr uint32_t kDataDirectorySize = 8;
inline constexpr uint32_t kSecurityDirectory = 4;
inline constexpr uint32_t kDebugDirectory = 6;

// Attribute certificate table entry (WIN_CERTIFICATE), from its start: dwLength counts the
// header, and an Authenticode signature follows it as PKCS#7 SignedData.
inline constexpr uint32_t kWinCertLengthOffset = 0;
inline constexpr uint32_t kWinCertTypeOffset = 6;
inline constexpr uint32_t kWinCertHeaderSize = 8;
inline constexpr uint32_t kWinCertTypePkcsSignedData = 2;

// Section header, from its start.
inline constexpr uint32_t kSectionHeaderSize = 40;
inline constexpr uint32_t kSectionVirtualAddress = 12;
inline constexpr uint32_t kSectionSizeOfRawData = 16;
inline constexpr uint32_t kSectionPointerToRawData = 20;
inline constexpr uint32_t kSectionPointerToRelocations = 24;
inline constexpr uint32_t kSectionPointerToLinenumbers = 28;

// Debug directory entry, from its start.
inline constexpr uint32_t kDebugEntrySize = 28;
inline constexpr uint32_t kDebugEntryPointerToRawData = 24;

}  // namespace vq
