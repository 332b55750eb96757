// FLASH.EXE, the DOS flash tool double: "flash -f bios.bin" checks the image (size and flash
// descriptor signature) and its part list, copies the image to C:\FLASHED.BIN for the test to
// compare, and reports. It writes ERROR.LOG on any fault or when the test's switch is set.
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"
#include "dos/rt/Str.h"
#include "payload/FlashImageFormat.h"
#include "testing/dos/Control.h"
#include "testing/dos/DosOut.h"
#include "testing/dos/Resident.h"
#include "testing/dos/ScreenCapture.h"

namespace {

constexpr const char* kPartList = "fparts.txt";
constexpr uint16_t kCopyChunk = 49152;

bool CheckImage(vq::rt::DosFile& image, const char*& why) {
    uint32_t size;
    uint8_t head[vq::kFlashDescriptorEnd];
    if (!image.Size(size) || size != vq::kFlashImageSize) {
        why = "image is not the flash part's size";
        return false;
    }
    if (!image.Seek(0) || !vq::rt::ReadExact(image.Handle(), head, sizeof head)) {
        why = "cannot read the image";
        return false;
    }
    if (!vq::HasFlashDescriptor(head, sizeof head)) {
        why = "no flash descriptor signature";
        return false;
    }
    return true;
}

bool CopyImage(vq::rt::DosFile& image, const char*& why) {
    vq::rt::DosFile copy;
    vq::rt::DosBlock buf;
    if (!copy.Create(vq::testing::kFlashedCopy, 0) || !buf.Alloc(kCopyChunk) || !image.Seek(0)) {
        why = "cannot write the flash part";
        return false;
    }
    for (uint32_t left = vq::kFlashImageSize; left != 0;) {
        const uint16_t chunk = uint16_t(left < kCopyChunk ? left : kCopyChunk);
        uint16_t got, written;
        if (!vq::rt::ReadFar(image.Handle(), buf.Segment(), 0, chunk, got) || got != chunk ||
            !vq::rt::WriteFar(copy.Handle(), buf.Segment(), 0, chunk, written) || written != chunk) {
            why = "cannot write the flash part";
            return false;
        }
        left -= chunk;
    }
    return copy.Close();
}

bool Flash(int argc, char** argv, const char*& why) {
    if (argc != 3 || !vq::rt::StrEqual(argv[1], "-f") || !vq::rt::StrEqualNoCase(argv[2], "bios.bin")) {
        why = "usage: flash -f bios.bin";
        return false;
    }
    if (!vq::rt::PathExists(kPartList)) {
        why = "fparts.txt is missing";
        return false;
    }
    vq::rt::DosFile image;
    if (!image.Open(argv[2], vq::rt::kOpenRead)) {
        why = "cannot open the image";
        return false;
    }
    if (!CheckImage(image, why) || !CopyImage(image, why)) return false;
    if (vq::rt::PathExists(vq::testing::kFlashErrorSwitch)) {
        why = "verify failed (requested by the test)";
        return false;
    }
    return true;
}

// Where it ran, so a test can tell which directory the program made its work directory in.
void RecordCurrentDir() {
    char dir[80];
    vq::rt::DosFile f;
    if (vq::rt::GetCurrentDir(dir, sizeof dir) && f.Create(vq::testing::kFlashDirRecord, 0)) vq::testing::Say(f.Handle(), dir);
}

// Leaves its parent elsewhere, as a tool that changes drive and directory and does not change
// back would: the root current on C:, and D: the current drive.
void WanderIfAsked() {
    if (!vq::rt::PathExists(vq::testing::kFlashDriveSwitch)) return;
    vq::rt::ChangeDir("C:\\");
    vq::rt::SelectDrive(vq::testing::kOtherDrive);
}

}  // namespace

int main(int argc, char** argv) {
    vq::testing::SnapshotIfAsked(vq::testing::kFlashShot);
    RecordCurrentDir();
    vq::testing::Say(vq::testing::kStdout, "Flash double: programming the SPI flash");
    const char* why = "";
    if (Flash(argc, argv, why)) {
        vq::testing::Say(vq::testing::kStdout, "Flash double: image written and verified");
        if (vq::rt::PathExists(vq::testing::kFlashSubdirSwitch)) vq::rt::MakeDir(vq::testing::kFlashSubdirName);
        vq::testing::EndResidentIfAsked(vq::testing::kFlashResidentSwitch, 0);
        WanderIfAsked();
        return 0;
    }
    vq::testing::Say(vq::testing::kStdout, "Flash double: error: ", why);
    vq::rt::DosFile log;
    if (log.Create(vq::testing::kErrorLog, 0)) vq::testing::Say(log.Handle(), "Error: ", why);
    log.Close();
    WanderIfAsked();
    return 1;
}
