// Where the DOS program's files lie and what they are called: the work directory's path, the
// entries' names, the tools' leftovers, and which files of a leftover directory it may delete.
// Portable, so they are tested natively as well as built for DOS.
#pragma once

#include <stdint.h>

#include "base/Product.h"

namespace vq::dos {

inline constexpr uint32_t kPathBytes = 80;  // every path buffer, terminator included
using vq::kWorkDirName;

// What DOS can work with below a directory: it keeps a current directory of at most 66
// characters ("C:\" and the 63 that 47h's 64 bytes hold), and a name in it is at most an 8.3 name.
inline constexpr uint32_t kDosLongestDirChars = 66;
inline constexpr uint32_t kDosLongestNameChars = 12;
// Starting directory + "\" (unless it ends with one) + "VqPTemp"; false unless DOS can make it
// the current directory and reach any file in it within kPathBytes.
bool FormWorkDirPath(const char* startDir, char (&out)[kPathBytes]);
inline constexpr uint32_t kEntryNameBytes = 17;  // "VQExt_" and ten digits, terminator included
// "VQExt_" + i in decimal.
void FormEntryName(uint32_t i, char (&out)[kEntryNameBytes]);
// What gzip decompresses, and takes off.
inline constexpr const char* kGzipSuffix = ".gz";
inline constexpr uint32_t kGzipEntryNameBytes = kEntryNameBytes + 3;
// "VQExt_" + i + ".gz": the name an entry takes for gzip to decompress it.
void FormGzipEntryName(uint32_t i, char (&out)[kGzipEntryNameBytes]);
// dir + "\" + "VQExt_" + i; false if it does not fit.
bool FormEntryPath(const char* dir, uint32_t i, char (&out)[kPathBytes]);

// Where the flash tool tells of a failure, in its current directory.
inline constexpr const char* kErrorLogName = "ERROR.LOG";

// A name a run of the program writes in the work directory (any letter case): each entry's
// number, with the gzip suffix for the entries it decompresses, the names the tools use the
// entries under, the tools' printing and the flash tool's log.
bool IsOwnWorkFileName(const char* name);
// A file a leftover work directory may hold and the program may delete, by its search record's
// attribute byte and name: never a directory, a hidden or a system file; a read-only file only
// under a name of its own, since it writes its entries read-only and a run cut short leaves them so.
bool LeftoverEntryMayBeDeleted(uint8_t attr, const char* name);

}  // namespace vq::dos
