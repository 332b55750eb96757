// File names of the payload entries, by entry number; entry 0 is the executable image itself.
#pragma once

#include <stdint.h>

namespace vq {

inline constexpr uint32_t kPayloadEntryCount = 12;

inline constexpr const char* kPayloadFileNames[kPayloadEntryCount] = {
    "Vorquint.exe",     "GZip.exe",          "GZipW.exe",     "fparts.txt.gz",
    "fpt.exe.gz",       "fptw.exe.gz",       "fptw64.exe.gz", "idrvdll.dll.gz",
    "idrvdll32e.dll.gz", "pmxdll.dll.gz",    "pmxdll32e.dll.gz", "Bios.bin.gz",
};

}  // namespace vq
