// SCRDUMP.EXE: writes the text screen as the tests read it back. "SCRDUMP base" writes base.BIN
// (80x25 character and attribute pairs from B800:0000) and base.TXT (the characters, one line per
// row, trailing blanks dropped).
#include "dos/DosWorkFiles.h"
#include "dos/rt/Str.h"
#include "testing/dos/ScreenCapture.h"

using vq::dos::kPathBytes;

int main(int argc, char** argv) {
    const char* base = argc > 1 ? argv[1] : "SCREEN";
    char bin[kPathBytes], txt[kPathBytes];
    if (!vq::rt::StrCopy(bin, sizeof bin, base) || !vq::rt::StrAppend(bin, sizeof bin, ".BIN")) return 2;
    if (!vq::rt::StrCopy(txt, sizeof txt, base) || !vq::rt::StrAppend(txt, sizeof txt, ".TXT")) return 2;
    return vq::testing::WriteScreenBin(bin) && vq::testing::WriteScreenText(txt) ? 0 : 1;
}
