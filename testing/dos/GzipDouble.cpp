// GZIP.EXE, the DOS gzip double: "gzip -df PATTERN" replaces every matching NAME.gz in the current
// directory by its decompressed content NAME, checking CRC-32 and size. Exit 1 on any fault.
#include "dos/rt/Far.h"
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"
#include "dos/rt/Str.h"
#include "testing/dos/Control.h"
#include "testing/dos/DosOut.h"
#include "testing/dos/Inflate.h"
#include "testing/dos/Resident.h"
#include "testing/dos/ScreenCapture.h"

namespace {

constexpr uint32_t kMaxFiles = 32;
constexpr uint32_t kNameBytes = 13;
constexpr uint16_t kInputBufferBytes = 4096;

// Input through a small near buffer.
struct FileIn {
    uint16_t handle;
    uint8_t buf[kInputBufferBytes];
    uint16_t have = 0;
    uint16_t next = 0;
    bool failed = false;
    int NextByte() {
        if (next == have) {
            if (failed || !vq::rt::ReadFile(handle, buf, sizeof buf, have)) {
                failed = true;
                return -1;
            }
            next = 0;
            if (have == 0) return -1;
        }
        return buf[next++];
    }
};

// Output through the 32 KiB window in a DOS block, written out each time it fills.
struct FileOut {
    uint16_t handle;
    uint16_t seg;
    uint16_t pos = 0;
    bool Flush() {
        if (pos == 0) return true;
        uint16_t written;
        const bool ok = vq::rt::WriteFar(handle, seg, 0, pos, written) && written == pos;
        pos = 0;
        return ok;
    }
    bool Put(uint8_t b) {
        vq::rt::FarPoke(seg, pos, b);
        return ++pos != vq::testing::kWindowBytes || Flush();
    }
    uint8_t Back(uint32_t dist) { return vq::rt::FarPeek(seg, uint16_t((pos - dist) & (vq::testing::kWindowBytes - 1))); }
};

FileIn gIn;  // 4 KiB: kept out of the stack

bool EndsWithGz(const char* name, uint32_t& stem) {
    const uint32_t n = vq::rt::StrLen(name);
    if (n < 4 || !vq::rt::StrEqualNoCase(name + n - 3, ".gz")) return false;
    stem = n - 3;
    return true;
}

bool Gunzip(const char* gzName, uint16_t windowSeg) {
    uint32_t stem;
    if (!EndsWithGz(gzName, stem)) {
        vq::testing::Say(vq::testing::kStderr, "gzip: ", gzName, ": unknown suffix");
        return false;
    }
    char outName[kNameBytes];
    for (uint32_t i = 0; i < stem; ++i) outName[i] = gzName[i];
    outName[stem] = '\0';
    if (vq::rt::PathExists(outName)) {
        vq::testing::Say(vq::testing::kStderr, "gzip: ", outName, " already exists");
        return false;
    }
    vq::rt::DosFile in, out;
    if (!in.Open(gzName, vq::rt::kOpenRead) || !out.Create(outName, 0)) {
        vq::testing::Say(vq::testing::kStderr, "gzip: ", gzName, ": cannot open");
        return false;
    }
    gIn = FileIn{};
    gIn.handle = in.Handle();
    FileOut sink{out.Handle(), windowSeg};
    const vq::testing::InflateStatus s = vq::testing::GunzipMember(gIn, sink);
    const bool ok = s == vq::testing::InflateStatus::Ok && !gIn.failed && sink.Flush() && out.Close() && in.Close();
    if (!ok) {
        out.Close();
        vq::rt::DeleteFile(outName);
        vq::testing::Say(vq::testing::kStderr, "gzip: ", gzName, ": invalid compressed data");
        return false;
    }
    vq::rt::SetAttributes(gzName, 0);  // the payload files are read-only
    if (!vq::rt::DeleteFile(gzName)) {
        vq::testing::Say(vq::testing::kStderr, "gzip: ", gzName, ": cannot remove");
        return false;
    }
    return true;
}

// What a child finds left on the standard input it inherits (the program's answer line must not
// reach it).
void RecordStdinIfAsked() {
    if (!vq::rt::PathExists(vq::testing::kStdinSwitch)) return;
    uint8_t buf[64];
    uint16_t got = 0;
    vq::rt::DosFile f;
    if (!vq::rt::ReadFile(0, buf, sizeof buf, got)) got = 0;
    if (f.Create(vq::testing::kStdinRecord, 0)) vq::rt::WriteExact(f.Handle(), buf, got);
}

// The Ctrl-Break and critical-error handlers a child is handed: DOS's own, not its parent's.
void RecordVectorsIfAsked() {
    constexpr uint16_t kFirstVector = 0x23 * 4;
    constexpr uint16_t kVectorsBytes = 8;  // INT 23h and 24h
    if (!vq::rt::PathExists(vq::testing::kVectorsSwitch)) return;
    uint8_t vectors[kVectorsBytes];
    for (uint16_t i = 0; i < kVectorsBytes; ++i) vectors[i] = vq::rt::FarPeek(0, uint16_t(kFirstVector + i));
    vq::rt::DosFile f;
    if (f.Create(vq::testing::kVectorsRecord, 0)) vq::rt::WriteExact(f.Handle(), vectors, kVectorsBytes);
}

// Leaves "BIOS.BIN" beside the decompressed image: a copy of it with one byte changed, which the
// flash double would accept as well.
bool LeaveStaleImage(uint16_t windowSeg) {
    constexpr uint16_t kChangedByte = 4096;
    vq::rt::DosFile in, out;
    if (!in.Open("VQExt_11", vq::rt::kOpenRead) || !out.Create("BIOS.BIN", 0)) return false;
    for (bool first = true;; first = false) {
        uint16_t got, written;
        if (!vq::rt::ReadFar(in.Handle(), windowSeg, 0, vq::testing::kWindowBytes, got)) return false;
        if (got == 0) return out.Close();
        if (first && got > kChangedByte)
            vq::rt::FarPoke(windowSeg, kChangedByte, uint8_t(~vq::rt::FarPeek(windowSeg, kChangedByte)));
        if (!vq::rt::WriteFar(out.Handle(), windowSeg, 0, got, written) || written != got) return false;
    }
}

// Ends the program as a tool that ran 32-bit code may: with the high word of ESP not zero. The
// real-mode stack uses SP only, so DOS neither notices nor restores it for the parent.
[[noreturn]] void ExitWithDirtyEsp(uint8_t code) {
    asm volatile("orl $0x12340000, %%esp\n\tint $0x21" : : "a"(uint32_t(0x4C00u | code)) : "memory");
    __builtin_unreachable();
}

}  // namespace

int main(int argc, char** argv) {
    vq::testing::SnapshotIfAsked(vq::testing::kGzipShot);
    RecordStdinIfAsked();
    RecordVectorsIfAsked();
    if (argc != 3 || !vq::rt::StrEqual(argv[1], "-df")) {
        vq::testing::Say(vq::testing::kStderr, "usage: gzip -df PATTERN");
        return 1;
    }
    // List first: decompressing creates and deletes files in the directory being searched.
    static char names[kMaxFiles][kNameBytes];
    uint32_t count = 0;
    vq::rt::FindData found;
    for (bool more = vq::rt::FindFirst(argv[2], vq::rt::kFindNormalFiles, found); more; more = vq::rt::FindNext(found)) {
        if (count == kMaxFiles) return 1;
        vq::rt::StrCopy(names[count++], kNameBytes, found.name);
    }
    if (count == 0) {
        vq::testing::Say(vq::testing::kStderr, "gzip: ", argv[2], ": no such file");
        return 1;
    }
    vq::rt::DosBlock window;
    if (!window.Alloc(vq::testing::kWindowBytes)) return 1;
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) ok = Gunzip(names[i], window.Segment()) && ok;
    if (ok && vq::rt::PathExists(vq::testing::kStaleLogSwitch)) {
        vq::rt::DosFile log;
        if (log.Create(vq::testing::kErrorLog, 0)) vq::rt::WriteExact(log.Handle(), "stale\r\n", 7);
    }
    if (ok && vq::rt::PathExists(vq::testing::kStaleImageSwitch)) ok = LeaveStaleImage(window.Segment());
    if (vq::rt::PathExists(vq::testing::kDirtyEspSwitch)) ExitWithDirtyEsp(ok ? 0 : 1);
    vq::testing::EndResidentIfAsked(vq::testing::kGzipResidentSwitch, ok ? 0 : 1);
    return ok ? 0 : 1;
}
