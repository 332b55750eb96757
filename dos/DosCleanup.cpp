// The work directory's entries: whether a leftover may be emptied, and the clean-up step that
// lists the work directory, deletes every file in it and removes it.
#include "dos/DosSteps.h"
#include "dos/rt/Far.h"
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"
#include "dos/rt/Str.h"

namespace vq::dos {
namespace {

constexpr const char* kAllFiles = "*.*";
constexpr uint16_t kNameSlotBytes = 13;  // an 8.3 name and its terminator
// The slots live in one DOS block, which a 16-bit offset must reach.
constexpr uint32_t kMaxNames = 0xFFFF / kNameSlotBytes;

bool IsSelfOrParent(const rt::FindData& found) {
    return rt::StrEqual(found.name, ".") || rt::StrEqual(found.name, "..");
}

// Calls visit(found) for every entry of the current directory, hidden and system files and
// directories included, until visit returns false.
template <typename Visit>
void ForEachEntry(Visit visit) {
    rt::FindData found;
    for (bool more = rt::FindFirst(kAllFiles, rt::kFindAllEntries, found); more; more = rt::FindNext(found))
        if (!IsSelfOrParent(found) && !visit(found)) return;
}

uint32_t CountEntries() {
    uint32_t n = 0;
    ForEachEntry([&n](const rt::FindData&) { return ++n, true; });
    return n;
}

// Copies at most `slots` names into the block; names beyond the counted number are left alone.
uint32_t ListEntries(uint16_t seg, uint32_t slots) {
    uint32_t n = 0;
    ForEachEntry([&](const rt::FindData& found) {
        if (n == slots) return false;
        for (uint16_t i = 0; i < kNameSlotBytes; ++i) {
            const char c = i + 1 < kNameSlotBytes ? found.name[i] : '\0';
            rt::FarPoke(seg, uint16_t(n * kNameSlotBytes + i), uint8_t(c));
        }
        ++n;
        return true;
    });
    return n;
}

// A directory stays, and keeps the work directory from being removed.
void DeleteListed(uint16_t seg, uint32_t count) {
    for (uint32_t n = 0; n < count; ++n) {
        char name[kNameSlotBytes];
        for (uint16_t i = 0; i < kNameSlotBytes; ++i) name[i] = char(rt::FarPeek(seg, uint16_t(n * kNameSlotBytes + i)));
        uint16_t attrs;
        if (!rt::GetAttributes(name, attrs) || (attrs & rt::kAttrDirectory) != 0) continue;
        rt::SetAttributes(name, 0);
        rt::DeleteFile(name);
    }
}

// The directory part of a resolved path, in place: "C:\A\B.EXE" becomes "C:\A".
void CutToDirectory(char* path) {
    uint32_t cut = 0;
    for (uint32_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '\\') cut = i;
    path[cut] = '\0';
}

}  // namespace

bool DosLeftoverMayBeEmptied(const char* exePath, const DosDirs& dirs) {
    if (!DosFileExists(kWorkDirName)) return true;
    // Hidden and system files, subdirectories and read-only files of names we never write were
    // never left by a run of ours, even one cut short: someone put them there, and they are not
    // ours to delete.
    if (!EnterWorkDir(dirs)) return false;
    bool ours = true;
    ForEachEntry([&ours](const rt::FindData& found) {
        ours = LeftoverEntryMayBeDeleted(found.attr, found.name);
        return ours;
    });
    ReturnToStart(dirs);
    if (!ours) return false;
    // Nor is the running program, which would be deleted before it has read its payload.
    char exeDir[kPathBytes];
    char work[kPathBytes];
    if (!rt::TrueName(exePath, exeDir, sizeof exeDir) || !rt::TrueName(dirs.work, work, sizeof work)) return false;
    CutToDirectory(exeDir);
    return !rt::StrEqualNoCase(exeDir, work);
}

bool DosCleanup(const DosDirs& dirs) {
    // Every list and delete below is by bare name: only inside the work directory may they run.
    if (!EnterWorkDir(dirs)) return false;
    uint32_t count = CountEntries();
    ReturnToStart(dirs);
    if (count > kMaxNames) count = kMaxNames;

    rt::DosBlock slots;
    if (count != 0 && !slots.Alloc(count * kNameSlotBytes)) return false;
    if (!EnterWorkDir(dirs)) return false;
    count = ListEntries(slots.Segment(), count);
    ReturnToStart(dirs);
    if (!EnterWorkDir(dirs)) return false;
    DeleteListed(slots.Segment(), count);
    ReturnToStart(dirs);
    // Done only when the directory is gone: whatever stays is for the user to see and delete.
    rt::RemoveDir(dirs.work);
    return !DosFileExists(dirs.work);
}

}  // namespace vq::dos
