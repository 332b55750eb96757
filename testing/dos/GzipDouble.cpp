// GZIP.EXE, the DOS gzip double: "gzip -df PATTERN" replaces every matching NAME.gz in the current
// directory by its decompressed content NAME, checking CRC-32 and size. Exit 1 on any fault.
#include "Control.h"
#include "DosOut.h"
#include "Far.h"
#include "Files.h"
#include "Inflate.h"
#include "Memory.h"
#include "Resident.h"
#include "ScreenCapture.h"
#include "Str.h"

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
            if (failed || !rt::ReadFile(handle, buf, sizeof buf, have)) {
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
        const bool ok = rt::WriteFar(handle, seg, 0, pos, written) && written == pos;
        pos = 0;
        return ok;
    }
    bool Put(uint8_t b) {
        rt::FarPoke(seg, pos, b);
        return ++pos != vqtest::kWindowBytes || Flush();
    }
    uint8_t Back(uint32_t dist) { return rt::FarPeek(seg, uint16_t((pos - dist) & (vqtest::kWindowBytes - 1))); }
};

FileIn gIn;  // 4 KiB: kept out of the stack

bool EndsWithGz(const char* name, uint32_t& stem) {
    const uint32_t n = rt::StrLen(name);
    if (n < 4 || !rt::StrEqualNoCase(name + n - 3, ".gz")) return false;
    stem = n - 3;
    return true;
}

bool Gunzip(const char* gzName, uint16_t windowSeg) {
    uint32_t stem;
    if (!EndsWithGz(gzName, stem)) {
        vqtest::Say(vqtest::kStderr, "gzip: ", gzName, ": unknown suffix");
        return false;
    }
    char outName[kNameBytes];
    for (uint32_t i = 0; i < stem; ++i) outName[i] = gzName[i];
    outName[stem] = '\0';
    if (rt::PathExists(outName)) {
        vqtest::Say(vqtest::kStderr, "gzip: ", outName, " already exists");
        return false;
    }
    rt::DosFile in, out;
    if (!in.Open(gzName, rt::kOpenRead) || !out.Create(outName, 0)) {
        vqtest::Say(vqtest::kStderr, "gzip: ", gzName, ": cannot open");
        return false;
    }
    gIn = FileIn{};
    gIn.handle = in.Handle();
    FileOut sink{out.Handle(), windowSeg};
    const vqtest::InflateStatus s = vqtest::GunzipMember(gIn, sink);
    const bool ok = s == vqtest::InflateStatus::Ok && !gIn.failed && sink.Flush() && out.Close() && in.Close();
    if (!ok) {
        out.Close();
        rt::DeleteFile(outName);
        vqtest::Say(vqtest::kStderr, "gzip: ", gzName, ": invalid compressed data");
        return false;
    }
    rt::SetAttributes(gzName, 0);  // the payload files are read-only
    if (!rt::DeleteFile(gzName)) {
        vqtest::Say(vqtest::kStderr, "gzip: ", gzName, ": cannot remove");
        return false;
    }
    return true;
}

// What a child finds left on the standard input it inherits (the program's answer line must not
// reach it).
void RecordStdinIfAsked() {
    if (!rt::PathExists(vqtest::kStdinSwitch)) return;
    uint8_t buf[64];
    uint16_t got = 0;
    rt::DosFile f;
    if (!rt::ReadFile(0, buf, sizeof buf, got)) got = 0;
    if (f.Create(vqtest::kStdinRecord, 0)) rt::WriteExact(f.Handle(), buf, got);
}

// Leaves "BIOS.BIN" beside the decompressed image: a copy of it with one byte changed, which the
// flash double would accept as well.
bool LeaveStaleImage(uint16_t windowSeg) {
    constexpr uint16_t kChangedByte = 4096;
    rt::DosFile in, out;
    if (!in.Open("VQExt_11", rt::kOpenRead) || !out.Create("BIOS.BIN", 0)) return false;
    for (bool first = true;; first = false) {
        uint16_t got, written;
        if (!rt::ReadFar(in.Handle(), windowSeg, 0, vqtest::kWindowBytes, got)) return false;
        if (got == 0) return out.Close();
        if (first && got > kChangedByte)
            rt::FarPoke(windowSeg, kChangedByte, uint8_t(~rt::FarPeek(windowSeg, kChangedByte)));
        if (!rt::WriteFar(out.Handle(), windowSeg, 0, got, written) || written != got) return false;
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
    vqtest::SnapshotIfAsked(vqtest::kGzipShot);
    RecordStdinIfAsked();
    if (argc != 3 || !rt::StrEqual(argv[1], "-df")) {
        vqtest::Say(vqtest::kStderr, "usage: gzip -df PATTERN");
        return 1;
    }
    // List first: decompressing creates and deletes files in the directory being searched.
    static char names[kMaxFiles][kNameBytes];
    uint32_t count = 0;
    rt::FindData found;
    for (bool more = rt::FindFirst(argv[2], rt::kFindNormalFiles, found); more; more = rt::FindNext(found)) {
        if (count == kMaxFiles) return 1;
        rt::StrCopy(names[count++], kNameBytes, found.name);
    }
    if (count == 0) {
        vqtest::Say(vqtest::kStderr, "gzip: ", argv[2], ": no such file");
        return 1;
    }
    rt::DosBlock window;
    if (!window.Alloc(vqtest::kWindowBytes)) return 1;
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) ok = Gunzip(names[i], window.Segment()) && ok;
    if (ok && rt::PathExists(vqtest::kStaleLogSwitch)) {
        rt::DosFile log;
        if (log.Create(vqtest::kErrorLog, 0)) rt::WriteExact(log.Handle(), "stale\r\n", 7);
    }
    if (ok && rt::PathExists(vqtest::kStaleImageSwitch)) ok = LeaveStaleImage(window.Segment());
    if (rt::PathExists(vqtest::kDirtyEspSwitch)) ExitWithDirtyEsp(ok ? 0 : 1);
    vqtest::EndResidentIfAsked(vqtest::kGzipResidentSwitch, ok ? 0 : 1);
    return ok ? 0 : 1;
}
