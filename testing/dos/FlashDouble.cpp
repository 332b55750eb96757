// FLASH.EXE, the DOS flash tool double: "flash -f bios.bin" checks the image (size and flash
// descriptor signature) and its part list, copies the image to C:\FLASHED.BIN for the test to
// compare, and reports. It writes ERROR.LOG on any fault or when the test's switch is set.
#include "Control.h"
#include "DosOut.h"
#include "Files.h"
#include "Memory.h"
#include "Resident.h"
#include "ScreenCapture.h"
#include "Str.h"

namespace {

constexpr uint32_t kImageBytes = 4194304;
constexpr uint32_t kSignatureOffset = 16;
constexpr uint8_t kSignature[4] = {0x5A, 0xA5, 0xF0, 0x0F};
constexpr const char* kPartList = "fparts.txt";
constexpr uint16_t kCopyChunk = 49152;

bool CheckImage(rt::DosFile& image, const char*& why) {
    uint32_t size;
    uint8_t head[kSignatureOffset + sizeof kSignature];
    if (!image.Size(size) || size != kImageBytes) {
        why = "image is not 4194304 bytes";
        return false;
    }
    if (!image.Seek(0) || !rt::ReadExact(image.Handle(), head, sizeof head)) {
        why = "cannot read the image";
        return false;
    }
    for (uint32_t i = 0; i < sizeof kSignature; ++i) {
        if (head[kSignatureOffset + i] != kSignature[i]) {
            why = "no flash descriptor signature";
            return false;
        }
    }
    return true;
}

bool CopyImage(rt::DosFile& image, const char*& why) {
    rt::DosFile copy;
    rt::DosBlock buf;
    if (!copy.Create(vqtest::kFlashedCopy, 0) || !buf.Alloc(kCopyChunk) || !image.Seek(0)) {
        why = "cannot write the flash part";
        return false;
    }
    for (uint32_t left = kImageBytes; left != 0;) {
        const uint16_t chunk = uint16_t(left < kCopyChunk ? left : kCopyChunk);
        uint16_t got, written;
        if (!rt::ReadFar(image.Handle(), buf.Segment(), 0, chunk, got) || got != chunk ||
            !rt::WriteFar(copy.Handle(), buf.Segment(), 0, chunk, written) || written != chunk) {
            why = "cannot write the flash part";
            return false;
        }
        left -= chunk;
    }
    return copy.Close();
}

bool Flash(int argc, char** argv, const char*& why) {
    if (argc != 3 || !rt::StrEqual(argv[1], "-f") || !rt::StrEqualNoCase(argv[2], "bios.bin")) {
        why = "usage: flash -f bios.bin";
        return false;
    }
    if (!rt::PathExists(kPartList)) {
        why = "fparts.txt is missing";
        return false;
    }
    rt::DosFile image;
    if (!image.Open(argv[2], rt::kOpenRead)) {
        why = "cannot open the image";
        return false;
    }
    if (!CheckImage(image, why) || !CopyImage(image, why)) return false;
    if (rt::PathExists(vqtest::kFlashErrorSwitch)) {
        why = "verify failed (requested by the test)";
        return false;
    }
    return true;
}

// Where it ran, so a test can tell which directory the program made its work directory in.
void RecordCurrentDir() {
    char dir[80];
    rt::DosFile f;
    if (rt::GetCurrentDir(dir, sizeof dir) && f.Create(vqtest::kFlashDirRecord, 0)) vqtest::Say(f.Handle(), dir);
}

}  // namespace

int main(int argc, char** argv) {
    vqtest::SnapshotIfAsked(vqtest::kFlashShot);
    RecordCurrentDir();
    vqtest::Say(vqtest::kStdout, "Flash double: programming the SPI flash");
    const char* why = "";
    if (Flash(argc, argv, why)) {
        vqtest::Say(vqtest::kStdout, "Flash double: 4194304 bytes written and verified");
        vqtest::EndResidentIfAsked(vqtest::kFlashResidentSwitch, 0);
        return 0;
    }
    vqtest::Say(vqtest::kStdout, "Flash double: error: ", why);
    rt::DosFile log;
    if (log.Create(vqtest::kErrorLog, 0)) vqtest::Say(log.Handle(), "Error: ", why);
    return 1;
}
