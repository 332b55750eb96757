// The payload's entries: what each entry number holds, the one table both faces, vqpack and the
// build read. Freestanding, so the DOS program includes it too.
//
// The entry number is also the DOS face's name for an entry ("VQExt_" + number). An entry whose
// Windows name ends in ".gz" is stored as one gzip member; the Windows face decompresses all of
// them, the DOS face only the three it uses (DosInflate). WinUseName and DosName are what each
// face calls the file while it runs it or hands it to a tool (after decompression for a gzip
// member); Windows ignores the letter case, so "gzipw.exe" starts the file "GZipW.exe".
#pragma once

#include <stdint.h>

namespace vq {

enum PayloadEntry : uint32_t {
    kEntryImage = 0,         // the executable image in front of the container; never stored
    kEntryDosGzip = 1,
    kEntryWinGzip = 2,
    kEntryFlashParts = 3,    // the flash tool's list of parts
    kEntryDosFlash = 4,
    kEntryWinFlash32 = 5,
    kEntryWinFlash64 = 6,
    kEntryDriver32 = 7,
    kEntryDriver64 = 8,
    kEntryPmx32 = 9,
    kEntryPmx64 = 10,
    kEntryFlashImage = 11,
    kPayloadEntryCount = 12,
};

// The DOS face's file name of entry i: this prefix and i in decimal.
inline constexpr const char* kDosEntryNamePrefix = "VQExt_";

struct TPayloadEntryInfo {
    const char* WinName;     // file name the Windows face extracts the entry to
    bool Gzip;               // stored as one gzip member (the Windows name ends in ".gz")
    bool DosInflate;         // the DOS face decompresses it before use
    const char* DosName;     // name under which the DOS face uses it, or nullptr
    const char* WinUseName;  // name under which the Windows face uses it, or nullptr
    // How the DOS face's command line names the file to a tool, as the system spells it there
    // (DOS ignores the letter case), or nullptr.
    const char* DosArgName = nullptr;
};

inline constexpr TPayloadEntryInfo kPayloadEntries[kPayloadEntryCount] = {
    {"Vorquint.exe", false, false, nullptr, nullptr},
    {"GZip.exe", false, false, "gzip.exe", nullptr},
    {"GZipW.exe", false, false, nullptr, "gzipw.exe"},
    {"fparts.txt.gz", true, true, "fparts.txt", nullptr},
    {"fpt.exe.gz", true, true, "flash.exe", nullptr},
    {"fptw.exe.gz", true, false, nullptr, "fptw.exe"},
    {"fptw64.exe.gz", true, false, nullptr, "fptw64.exe"},
    {"idrvdll.dll.gz", true, false, nullptr, nullptr},
    {"idrvdll32e.dll.gz", true, false, nullptr, nullptr},
    {"pmxdll.dll.gz", true, false, nullptr, nullptr},
    {"pmxdll32e.dll.gz", true, false, nullptr, nullptr},
    {"Bios.bin.gz", true, true, "Bios.bin", "Bios.bin", "bios.bin"},
};

// The Windows names alone, index = entry number, as ExtractPayload takes them.
struct TPayloadNameList {
    const char* Names[kPayloadEntryCount];
};
constexpr TPayloadNameList MakePayloadNameList() {
    TPayloadNameList list{};
    for (uint32_t i = 0; i < kPayloadEntryCount; ++i) list.Names[i] = kPayloadEntries[i].WinName;
    return list;
}
inline constexpr TPayloadNameList kPayloadNameList = MakePayloadNameList();
inline constexpr const auto& kPayloadFileNames = kPayloadNameList.Names;

// A gzip member's name carries ".gz"; the flag and the name must agree.
constexpr bool GzipFlagsMatchNames() {
    for (const TPayloadEntryInfo& e : kPayloadEntries) {
        const char* n = e.WinName;
        uint32_t len = 0;
        while (n[len]) ++len;
        const bool gz = len > 3 && n[len - 3] == '.' && n[len - 2] == 'g' && n[len - 1] == 'z';
        if (gz != e.Gzip || (e.DosInflate && !e.Gzip)) return false;
    }
    return true;
}
static_assert(GzipFlagsMatchNames(), "Gzip follows the name's \".gz\"; only gzip members are inflated");

}  // namespace vq
