// The DOS program's pure decisions.
#include "dos/DosLogic.h"

namespace vq::dos {

bool IsYesAnswer(int ch) { return ch == 'y' || ch == 'Y'; }

TextPos FailurePosition(TextPos status) { return TextPos{status.col, uint8_t(status.row + kFailureRowsBelowStatus)}; }
TextPos FailureDetailPosition(TextPos status) {
    const TextPos failure = FailurePosition(status);
    return TextPos{failure.col, uint8_t(failure.row + 1)};
}
TextPos SecondStatusPosition(TextPos status) { return TextPos{status.col, uint8_t(status.row + 1)}; }

uint16_t NextChunk(uint32_t remaining) {
    return uint16_t(remaining < kCopyChunkBytes ? remaining : kCopyChunkBytes);
}

bool ToolSucceeded(bool started, rt::ChildEnd end) {
    return started && end.type == rt::kEndNormal && end.code == 0;
}

bool FlashSucceeded(bool started, rt::ChildEnd end, bool errorLogLeft) {
    return ToolSucceeded(started, end) && !errorLogLeft;
}

}  // namespace vq::dos
