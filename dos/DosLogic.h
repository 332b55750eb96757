// The DOS program's pure decisions: the answer rule, screen positions, chunking and judging the
// tools' runs (its files' names are dos/DosWorkFiles.h's, the power-off plan dos/DosPowerOff.h's).
// Portable, so they are tested natively as well as built for DOS.
#pragma once

#include <stdint.h>

#include "dos/rt/Process.h"

namespace vq::dos {

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

inline constexpr uint32_t kCopyChunkBytes = 49152;
// Size of the next chunk of an extent with `remaining` bytes left to copy.
uint16_t NextChunk(uint32_t remaining);

// A tool did its work only when it was started, ran to a normal end and said so with exit code 0:
// one stopped by Ctrl-C or a critical-error Abort, or left resident, may have done any part of it.
bool ToolSucceeded(bool started, rt::ChildEnd end);
// The flash tool also reports a failure through ERROR.LOG; either way of telling counts.
bool FlashSucceeded(bool started, rt::ChildEnd end, bool errorLogLeft);

}  // namespace vq::dos
