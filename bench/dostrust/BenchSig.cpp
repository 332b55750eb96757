// Benchmark: the DOS face's signature check (DosSignedBytesMatch) against one plain read of the
// whole file in the extraction's chunks. Not a test: it prints, it does not judge.
//   BENCHSIG FILE
#include "dos/DosLogic.h"
#include "dos/DosSignature.h"
#include "dos/rt/Console.h"
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"
#include "dos/rt/Time.h"

namespace {

// The clock moves in BIOS ticks (about 5.5 hundredths): repeat until each side takes seconds.
constexpr uint16_t kReads = 20;
constexpr uint16_t kChecks = 3;

bool PlainRead(const char* path, uint16_t bufSeg) {
    vq::rt::DosFile f;
    if (!f.Open(path, vq::rt::kOpenRead)) return false;
    for (;;) {
        uint16_t got;
        if (!vq::rt::ReadFar(f.Handle(), bufSeg, 0, uint16_t(vq::dos::kCopyChunkBytes), got)) return false;
        if (got == 0) return true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        vq::rt::Printf("usage: BENCHSIG FILE\r\n");
        return 2;
    }
    vq::rt::DosBlock buffer;
    if (!buffer.Alloc(vq::dos::kCopyChunkBytes)) return 2;
    bool read = true, match = true;
    const uint32_t t0 = vq::rt::NowHundredths();
    for (uint16_t i = 0; i < kReads; ++i) read = PlainRead(argv[1], buffer.Segment()) && read;
    const uint32_t t1 = vq::rt::NowHundredths();
    for (uint16_t i = 0; i < kChecks; ++i) match = vq::dos::DosSignedBytesMatch(argv[1]) && match;
    const uint32_t t2 = vq::rt::NowHundredths();
    const uint32_t readEach = vq::rt::ElapsedHundredths(t0, t1) / kReads;
    const uint32_t checkEach = vq::rt::ElapsedHundredths(t1, t2) / kChecks;
    vq::rt::Printf("read %u cs check %u cs ratio %u.%u%u verdict %s\r\n", unsigned(readEach), unsigned(checkEach),
                   unsigned(readEach ? checkEach / readEach : 0), unsigned(readEach ? checkEach * 10 / readEach % 10 : 0),
                   unsigned(readEach ? checkEach * 100 / readEach % 10 : 0), read && match ? "accepted" : "refused");
    return read && match ? 0 : 1;
}
