// SCRDUMP.EXE: writes the text screen as the tests read it back. "SCRDUMP base" writes base.BIN
// (80x25 character and attribute pairs from B800:0000) and base.TXT (the characters, one line per
// row, trailing blanks dropped).
#include "Far.h"
#include "Files.h"
#include "Str.h"

namespace {

constexpr uint16_t kTextVideoSegment = 0xB800;
constexpr uint16_t kCols = 80;
constexpr uint16_t kRows = 25;
constexpr uint32_t kPathBytes = 80;

bool WriteScreenBin(const char* path) {
    uint16_t h;
    if (!rt::CreateFile(path, 0, h)) return false;
    uint16_t written;
    const bool ok = rt::WriteFar(h, kTextVideoSegment, 0, kCols * kRows * 2, written) && written == kCols * kRows * 2;
    return rt::CloseFile(h) && ok;
}

bool WriteScreenText(const char* path) {
    uint16_t h;
    if (!rt::CreateFile(path, 0, h)) return false;
    bool ok = true;
    for (uint16_t row = 0; row < kRows && ok; ++row) {
        char line[kCols + 2];
        uint16_t n = 0;
        for (uint16_t col = 0; col < kCols; ++col) {
            const char c = char(rt::FarPeek(kTextVideoSegment, uint16_t((row * kCols + col) * 2)));
            line[col] = c == '\0' ? ' ' : c;
            if (line[col] != ' ') n = uint16_t(col + 1);
        }
        line[n++] = '\r';
        line[n++] = '\n';
        ok = rt::WriteExact(h, line, n);
    }
    return rt::CloseFile(h) && ok;
}

}  // namespace

int main(int argc, char** argv) {
    const char* base = argc > 1 ? argv[1] : "SCREEN";
    char bin[kPathBytes], txt[kPathBytes];
    if (!rt::StrCopy(bin, sizeof bin, base) || !rt::StrAppend(bin, sizeof bin, ".BIN")) return 2;
    if (!rt::StrCopy(txt, sizeof txt, base) || !rt::StrAppend(txt, sizeof txt, ".TXT")) return 2;
    return WriteScreenBin(bin) && WriteScreenText(txt) ? 0 : 1;
}
