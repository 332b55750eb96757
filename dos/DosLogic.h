// The DOS program's pure decisions: path forming, the answer rule, screen positions, chunking and
// judging the tools' runs (the power-off plan is dos/DosPowerOff.h's). Portable, so they are
// tested natively as well as built for DOS.
#pragma once

#include <stdint.h>

#include "base/Product.h"
#include "dos/rt/Process.h"

namespace vq::dos {

inline constexpr uint32_t kPathBytes = 80;  // every path buffer, terminator included
using vq::kWorkDirName;
inline constexpr uint32_t kCopyChunkBytes = 49152;

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

// ch is the first byte read from standard input, or -1 at its end (which counts as "no").
bool IsYesAnswer(int ch);

struct TextPos {
    uint8_t col;
    uint8_t row;
};
inline constexpr uint8_t kFailureRowsBelowStatus = 2;
TextPos FailurePosition(TextPos status);
// The line below the failure line: why a step failed, where the failure's own text cannot say.
TextPos FailureDetailPosition(TextPos status);
// The line below the status line: the last status goes there, so that the one before it (what
// to do with the jumper and the CMOS) stays readable.
TextPos SecondStatusPosition(TextPos status);

// Size of the next chunk of an extent with `remaining` bytes left to copy.
uint16_t NextChunk(uint32_t remaining);

// A tool did its work only when it was started, ran to a normal end and said so with exit code 0:
// one stopped by Ctrl-C or a critical-error Abort, or left resident, may have done any part of it.
bool ToolSucceeded(bool started, rt::ChildEnd end);
// The flash tool also reports a failure through ERROR.LOG; either way of telling counts.
bool FlashSucceeded(bool started, rt::ChildEnd end, bool errorLogLeft);

}  // namespace vq::dos
