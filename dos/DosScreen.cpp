// Status and failure lines.
#include "dos/DosScreen.h"

#include "dos/DosTexts.h"
#include "dos/rt/Console.h"

namespace vq::dos {
namespace {

void ShowLine(TextPos pos, uint8_t attr, const char* text) {
    const rt::ScreenPos at{pos.col, pos.row};
    rt::SetCursor(at);
    rt::PutRepeated(' ', kColourText, rt::kScreenColumns);
    rt::SetCursor(at);
    rt::SetTextAttr(attr);
    rt::Printf("%s\r\n", text);
}

}  // namespace

void ShowStatus(TextPos statusPos, const char* text) { ShowLine(statusPos, kColourStatus, text); }

void ShowFailure(TextPos statusPos, const char* text) {
    ShowLine(FailurePosition(statusPos), kColourFailure, text);
}

void ShowFailureDetail(TextPos statusPos, const char* text) {
    ShowLine(FailureDetailPosition(statusPos), kColourFailure, text);
}

}  // namespace vq::dos
