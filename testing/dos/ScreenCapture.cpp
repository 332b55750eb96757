// Writing the text screen to files.
#include "testing/dos/ScreenCapture.h"

#include "dos/rt/Far.h"
#include "dos/rt/Files.h"

namespace vq::testing {
namespace {

constexpr uint16_t kTextVideoSegment = 0xB800;
constexpr uint16_t kCols = 80;
constexpr uint16_t kRows = 25;
constexpr uint16_t kScreenBytes = kCols * kRows * 2;

}  // namespace

bool WriteScreenBin(const char* path) {
    vq::rt::DosFile f;
    uint16_t written;
    return f.Create(path, 0) && vq::rt::WriteFar(f.Handle(), kTextVideoSegment, 0, kScreenBytes, written) &&
           written == kScreenBytes && f.Close();
}

bool WriteScreenText(const char* path) {
    vq::rt::DosFile f;
    if (!f.Create(path, 0)) return false;
    for (uint16_t row = 0; row < kRows; ++row) {
        char line[kCols + 2];
        uint16_t n = 0;
        for (uint16_t col = 0; col < kCols; ++col) {
            const char c = char(vq::rt::FarPeek(kTextVideoSegment, uint16_t((row * kCols + col) * 2)));
            line[col] = c == '\0' ? ' ' : c;
            if (line[col] != ' ') n = uint16_t(col + 1);
        }
        line[n++] = '\r';
        line[n++] = '\n';
        if (!vq::rt::WriteExact(f.Handle(), line, n)) return false;
    }
    return f.Close();
}

void SnapshotIfAsked(const char* path) {
    if (vq::rt::PathExists(kShotSwitch)) WriteScreenBin(path);
}

}  // namespace vq::testing
