// The DOS program's pure decisions.
#include "DosLogic.h"

#include "Str.h"

namespace vqdos {

bool FormWorkDirPath(const char* startDir, char (&out)[kPathBytes]) {
    const uint32_t n = rt::StrLen(startDir);
    const bool endsWithSeparator = n > 0 && startDir[n - 1] == '\\';
    return rt::StrCopy(out, kPathBytes, startDir) && (endsWithSeparator || rt::StrAppend(out, kPathBytes, "\\")) &&
           rt::StrAppend(out, kPathBytes, kWorkDirName);
}

void FormEntryName(uint32_t i, char (&out)[17]) {
    char digits[11];
    rt::StrCopy(out, sizeof out, kEntryNamePrefix);
    rt::StrAppend(out, sizeof out, rt::FormatUnsigned(i, digits));
}

bool FormEntryPath(const char* dir, uint32_t i, char (&out)[kPathBytes]) {
    char name[17];
    FormEntryName(i, name);
    return rt::StrCopy(out, kPathBytes, dir) && rt::StrAppend(out, kPathBytes, "\\") &&
           rt::StrAppend(out, kPathBytes, name);
}

bool IsYesAnswer(int ch) { return ch == 'y' || ch == 'Y'; }

TextPos FailurePosition(TextPos status) { return TextPos{status.col, uint8_t(status.row + kFailureRowsBelowStatus)}; }

uint16_t NextChunk(uint32_t remaining) {
    return uint16_t(remaining < kCopyChunkBytes ? remaining : kCopyChunkBytes);
}

PowerOffPlan PlanPowerOff(uint32_t pmBaseRegister) {
    if (pmBaseRegister == kPciNoDevice) return PowerOffPlan{false, 0};
    const uint16_t base = uint16_t((pmBaseRegister & ~1u) & 0xFFFF);
    if (base == 0) return PowerOffPlan{false, 0};
    return PowerOffPlan{true, uint16_t(base + kPm1ControlHighOffset)};
}

}  // namespace vqdos
