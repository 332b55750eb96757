// The clean-up step: list the work directory, delete every file in it, remove it.
#include "dos/DosSteps.h"
#include "dos/rt/Far.h"
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"

namespace vq::dos {
namespace {

constexpr const char* kAllFiles = "*.*";
constexpr uint16_t kNameSlotBytes = 13;  // an 8.3 name and its terminator
// The slots live in one DOS block, which a 16-bit offset must reach.
constexpr uint32_t kMaxNames = 0xFFFF / kNameSlotBytes;

uint32_t CountFiles() {
    rt::FindData found;
    uint32_t n = 0;
    for (bool more = rt::FindFirst(kAllFiles, rt::kFindNormalFiles, found); more; more = rt::FindNext(found)) ++n;
    return n;
}

// Copies at most `slots` names into the block; names beyond the counted number are left alone.
uint32_t ListFiles(uint16_t seg, uint32_t slots) {
    rt::FindData found;
    uint32_t n = 0;
    for (bool more = rt::FindFirst(kAllFiles, rt::kFindNormalFiles, found); more && n < slots;
         more = rt::FindNext(found), ++n) {
        for (uint16_t i = 0; i < kNameSlotBytes; ++i) {
            const char c = i + 1 < kNameSlotBytes ? found.name[i] : '\0';
            rt::FarPoke(seg, uint16_t(n * kNameSlotBytes + i), uint8_t(c));
        }
    }
    return n;
}

void DeleteListed(uint16_t seg, uint32_t count) {
    for (uint32_t n = 0; n < count; ++n) {
        char name[kNameSlotBytes];
        for (uint16_t i = 0; i < kNameSlotBytes; ++i) name[i] = char(rt::FarPeek(seg, uint16_t(n * kNameSlotBytes + i)));
        uint16_t attrs;
        if (!rt::GetAttributes(name, attrs)) continue;
        rt::SetAttributes(name, uint16_t(attrs & ~rt::kAttrReadOnly));
        rt::DeleteFile(name);
    }
}

}  // namespace

bool DosCleanup(const DosDirs& dirs) {
    // Every list and delete below is by bare name: only inside the work directory may they run.
    if (!EnterWorkDir(dirs)) return false;
    uint32_t count = CountFiles();
    ReturnToStart(dirs);
    if (count > kMaxNames) count = kMaxNames;

    rt::DosBlock slots;
    if (count != 0 && !slots.Alloc(count * kNameSlotBytes)) return false;
    if (!EnterWorkDir(dirs)) return false;
    count = ListFiles(slots.Segment(), count);
    ReturnToStart(dirs);
    if (!EnterWorkDir(dirs)) return false;
    DeleteListed(slots.Segment(), count);
    ReturnToStart(dirs);
    rt::RemoveDir(dirs.work);
    return true;
}

}  // namespace vq::dos
