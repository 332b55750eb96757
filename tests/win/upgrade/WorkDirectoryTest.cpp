// The work directory as the program's own object: made and held at once with a protected access
// list, a leftover emptied only through a handle, and removed only while its name still leads to
// it. A link, a junction or a file in its place is refused and left as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "testing/win/tests/DoubleRunner.h"
#include "upgrade/WorkDirectory.h"

namespace vq {
namespace {

using testing::FileExists;
using testing::MakeDirectoryLink;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::UnixMove;
using testing::WriteBytes;

// Any right that changes a directory, its entries or who may do what with it.
constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                     FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                     WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    return CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer);
}

std::wstring Wide(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), wide.data(), int(wide.size())));
    return wide;
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool IsLink(const std::string& path) {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Lets go of a hold a while later, as a scanner does: longer than the clean-up's first pauses
// together, far shorter than its bound.
DWORD WINAPI CloseAfterASecond(LPVOID handle) {
    Sleep(1000);
    CloseHandle(handle);
    return 0;
}

class WorkDirectoryTest : public ::testing::Test {
protected:
    ScratchDir elsewhere{"elsewhere"};  // goes after `exe`, so a link in `exe` still leads here then
    ScratchDir exe{"prep"};
    std::string workDir = exe / "VqPTemp";
    WorkDirectory work;
};

TEST_F(WorkDirectoryTest, ALeftoverDirectoryGivesWayToAnEmptyHiddenOneOfOurOwn) {
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
    WriteBytes(workDir + "\\version.dll", {'M', 'Z'});  // would be loaded by a tool run here
    WriteBytes(workDir + "\\Bios.bin", {1});
    ASSERT_TRUE(CreateDirectoryA((workDir + "\\empty").c_str(), nullptr));
    WriteBytes(exe / "beside.txt", {2});

    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    EXPECT_EQ(AttributesOf(workDir) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_REPARSE_POINT),
              DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    for (const char* name : {"version.dll", "Bios.bin", "empty"}) EXPECT_FALSE(FileExists(workDir + "\\" + name));
    EXPECT_EQ(ReadBytes(exe / "beside.txt"), (std::vector<uint8_t>{2}));
}

// Held from the moment it exists: nobody, this process included, can rename it away and put
// another directory in its place, and the tools can still run in it.
TEST_F(WorkDirectoryTest, HeldFromItsCreationSoItCannotBeRenamed) {
    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    EXPECT_FALSE(MoveFileExA(workDir.c_str(), (exe / "away").c_str(), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(RemoveDirectoryA(workDir.c_str()));
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    EXPECT_TRUE(SetCurrentDirectoryA(workDir.c_str())) << "a tool's current directory must still be possible";
    SetCurrentDirectoryA(before);
}

// What cannot be emptied stops the upgrade before anything is written: the leftover stays as it
// was, and nothing is run among its files.
TEST_F(WorkDirectoryTest, ALeftoverThatCannotBeEmptiedIsRefused) {
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((workDir + "\\sub").c_str(), nullptr));
    WriteBytes(workDir + "\\sub\\inner.txt", {1});
    EXPECT_FALSE(work.Prepare(Wide(workDir)));
    EXPECT_EQ(work.Get(), nullptr);
    EXPECT_TRUE(work.Path().empty());
    EXPECT_TRUE(FileExists(workDir + "\\sub\\inner.txt"));
    testing::DeleteTree(workDir + "\\sub");

    WriteBytes(workDir + "\\locked.txt", {1});
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(work.Prepare(Wide(workDir)));
    EXPECT_TRUE(FileExists(workDir + "\\locked.txt"));
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

    HANDLE open = CreateFileA((workDir + "\\locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(work.Prepare(Wide(workDir)));
    CloseHandle(open);
    EXPECT_TRUE(FileExists(workDir + "\\locked.txt"));
}

// A link inside a leftover goes by itself; where it leads stays.
TEST_F(WorkDirectoryTest, ALinkInsideALeftoverNeverLeadsTheDeletionsOut) {
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
    const std::string empty = elsewhere / "empty";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    WriteBytes(elsewhere / "keep.txt", {3});
    ASSERT_TRUE(MakeDirectoryLink(workDir + "\\toEmpty", empty));
    ASSERT_TRUE(MakeDirectoryLink(workDir + "\\toFull", elsewhere.Path()));
    work.Prepare(Wide(workDir));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_EQ(ReadBytes(elsewhere / "keep.txt"), (std::vector<uint8_t>{3}));
    WriteBytes(empty + "\\x", {1});  // so that tearing down removes the link, not what it leads to
}

// The list the new directory is made with. (This Wine keeps no list for a file: read back, it
// shows one made up from the Unix mode, so the list is read from what the program passes.)
TEST_F(WorkDirectoryTest, OnlyAdministratorsAndSystemMayWriteAndUsersMayRead) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(kWorkDirSecurity, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "rights of the folder above must not flow in";
    ASSERT_NE(dacl, nullptr) << "no list at all would let everyone do everything";

    bool adminsFull = false, systemFull = false, usersRead = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&header)));
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = &ace->SidStart;
        const bool admins = IsWellKnown(sid, WinBuiltinAdministratorsSid);
        const bool system = IsWellKnown(sid, WinLocalSystemSid);
        if (!admins && !system) {
            EXPECT_EQ(ace->Mask & kWriteRights, 0u) << "entry " << i << " lets others write";
        }
        adminsFull |= admins && (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
        systemFull |= system && (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
        usersRead |= IsWellKnown(sid, WinBuiltinUsersSid) &&
                     (ace->Mask & FILE_GENERIC_READ) == FILE_GENERIC_READ;
    }
    EXPECT_TRUE(adminsFull);
    EXPECT_TRUE(systemFull);
    EXPECT_TRUE(usersRead);
    LocalFree(descriptor);
}

// Refused before anything is written, run or deleted: the link and what it leads to, or the
// file, stay exactly as they were.
TEST_F(WorkDirectoryTest, ALinkOrAFileInItsPlaceIsRefusedAndLeftAsItWas) {
    WriteBytes(elsewhere / "keep.txt", {3});
    ASSERT_TRUE(MakeDirectoryLink(workDir, elsewhere.Path()));
    EXPECT_FALSE(work.Prepare(Wide(workDir)));
    EXPECT_FALSE(work.Clean());
    EXPECT_TRUE(IsLink(workDir));
    EXPECT_EQ(ReadBytes(elsewhere / "keep.txt"), (std::vector<uint8_t>{3}));

    ScratchDir other{"file"};
    const std::string fileInPlace = other / "VqPTemp";
    WriteBytes(fileInPlace, {4, 5});
    EXPECT_FALSE(work.Prepare(Wide(fileInPlace)));
    EXPECT_EQ(ReadBytes(fileInPlace), (std::vector<uint8_t>{4, 5}));
}

// Without a folder in front, the name would be taken relative to the current directory.
TEST_F(WorkDirectoryTest, ABareNameIsNoPlaceToWork) {
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA(exe.Path().c_str()));
    EXPECT_FALSE(work.Prepare(L"VqPTemp"));
    EXPECT_FALSE(FileExists(workDir));
    SetCurrentDirectoryA(before);
}

TEST_F(WorkDirectoryTest, CleanRemovesEveryFileHiddenOrNotAndTheDirectory) {
    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    for (const char* name : {"Vorquint.exe", "Bios.bin", "fparts.txt", ".hidden"}) {
        WriteBytes(workDir + "\\" + name, {1});
    }
    SetFileAttributesA((workDir + "\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_NE(work.ToolOutput(), nullptr);
    EXPECT_TRUE(work.Clean());
    EXPECT_FALSE(FileExists(workDir));
}

// What cannot be deleted stays, and with it the directory: that is no clean-up done.
TEST_F(WorkDirectoryTest, CleanFailsWhenASubdirectoryOrReadOnlyFileKeepsTheDirectory) {
    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    WriteBytes(workDir + "\\Bios.bin", {1});
    ASSERT_TRUE(CreateDirectoryA((workDir + "\\sub").c_str(), nullptr));
    WriteBytes(workDir + "\\sub\\inner.txt", {1});
    WriteBytes(workDir + "\\locked.txt", {1});
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(work.Clean());
    EXPECT_FALSE(FileExists(workDir + "\\Bios.bin"));
    EXPECT_TRUE(FileExists(workDir + "\\sub\\inner.txt"));
    EXPECT_TRUE(FileExists(workDir + "\\locked.txt"));
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Holds that pass, as a scanner's or a console host's: a file open without delete sharing; one
// open with it, which stays listed once marked until its holder lets go; the directory itself,
// as the current directory of a console host still ending. Each is waited out, and then the
// directory goes.
TEST_F(WorkDirectoryTest, CleanWaitsOutHoldsThatPass) {
    struct Hold {
        const char* name;  // in the work directory; "" for the directory itself
        DWORD share;
    };
    for (const Hold& h : {Hold{"fptw64.exe", FILE_SHARE_READ | FILE_SHARE_WRITE},
                          Hold{"fptw64.exe", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
                          Hold{"", FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        SCOPED_TRACE(std::string(h.name) + " " + std::to_string(h.share));
        WorkDirectory cleaned;
        ASSERT_TRUE(cleaned.Prepare(Wide(workDir)));
        for (const char* name : {"fptw64.exe", "output"}) WriteBytes(workDir + "\\" + name, {1});
        const std::string path = *h.name ? workDir + "\\" + h.name : workDir;
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, h.share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        HANDLE release = CreateThread(nullptr, 0, CloseAfterASecond, held, 0, nullptr);
        ASSERT_NE(release, nullptr);
        EXPECT_TRUE(cleaned.Clean());
        WaitForSingleObject(release, INFINITE);
        CloseHandle(release);
        EXPECT_FALSE(FileExists(workDir));
    }
}

// A hold that outlasts the wait: the clean-up gives up once its bound is spent, having deleted
// all else, and the directory stays with the held file.
TEST_F(WorkDirectoryTest, CleanGivesUpOnAHoldOnceItsBoundIsSpent) {
    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    for (const char* name : {"Bios.bin", "output"}) WriteBytes(workDir + "\\" + name, {1});
    HANDLE held = CreateFileA((workDir + "\\output").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    constexpr DWORD kBoundMs = 600;
    HoldBackoff hold(kBoundMs);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(work.Clean(hold));
    const ULONGLONG took = GetTickCount64() - start;
    CloseHandle(held);
    EXPECT_GE(took, kBoundMs - 50);  // the tick count's granularity
    EXPECT_LT(took, kBoundMs + 2000);
    EXPECT_TRUE(FileExists(workDir + "\\output"));
    EXPECT_FALSE(FileExists(workDir + "\\Bios.bin"));
}

// Moved away behind Windows' back (from the Unix side, as Windows itself refuses while the
// program holds it): what took its name (another directory, a link, nothing) is not removed,
// and the chain stops there.
TEST_F(WorkDirectoryTest, CleanRemovesNothingThatTookTheNameOfTheDirectoryHeld) {
    ASSERT_TRUE(work.Prepare(Wide(workDir)));
    WriteBytes(workDir + "\\Bios.bin", {1});
    const std::string moved = exe / "moved";
    ASSERT_TRUE(UnixMove(workDir, moved));
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));  // an impostor, empty
    EXPECT_FALSE(work.Clean());
    EXPECT_EQ(AttributesOf(workDir) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));

    WorkDirectory second;
    ASSERT_TRUE(RemoveDirectoryA(workDir.c_str()));
    ASSERT_TRUE(second.Prepare(Wide(workDir)));
    ASSERT_TRUE(UnixMove(workDir, exe / "moved2"));
    WriteBytes(elsewhere / "keep.txt", {3});
    ASSERT_TRUE(MakeDirectoryLink(workDir, elsewhere.Path()));
    EXPECT_FALSE(second.Clean());
    EXPECT_TRUE(IsLink(workDir));
    EXPECT_EQ(ReadBytes(elsewhere / "keep.txt"), (std::vector<uint8_t>{3}));

    // Swapped for a directory whose maker holds it with the right to delete it, as one that won
    // the moment between letting go and opening again would: nothing is removed, and so nothing
    // may say so.
    WorkDirectory held;
    ScratchDir swapped{"swap"};
    const std::string swappedDir = swapped / "VqPTemp";
    ASSERT_TRUE(held.Prepare(Wide(swappedDir)));
    ASSERT_TRUE(UnixMove(swappedDir, swapped / "moved"));
    ASSERT_TRUE(CreateDirectoryA(swappedDir.c_str(), nullptr));
    HANDLE holder = CreateFileA(swappedDir.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(held.Clean());
    CloseHandle(holder);
    EXPECT_TRUE(FileExists(swappedDir));

    WorkDirectory third;
    ScratchDir other{"gone"};
    ASSERT_TRUE(third.Prepare(Wide(other / "VqPTemp")));
    ASSERT_TRUE(UnixMove(other / "VqPTemp", other / "moved"));
    EXPECT_FALSE(third.Clean());
}

// Wine makes a new directory and then opens it by name: in between, another process can put a
// file in it, or its own directory with a file in its place. What is held then is refused, and
// the file stays. That moment is made here by having the test program's own import of
// GetFileInformationByHandle, which Prepare first calls on the directory just opened, plant the
// file before it answers.
TEST_F(WorkDirectoryTest, ADirectoryThatHoldsAFileWhenOpenedIsRefused) {
    static std::string plantAt;
    static bool planted;
    static ULONG_PTR realCall;  // read from the slot: the compiler would call through it again
    struct Planter {
        static BOOL WINAPI Call(HANDLE object, LPBY_HANDLE_FILE_INFORMATION info) {
            if (!planted) {
                planted = true;
                WriteBytes(plantAt, {'M', 'Z'});
            }
            return reinterpret_cast<decltype(&GetFileInformationByHandle)>(realCall)(object, info);
        }
    };
    // The slot of this program's import table that holds GetFileInformationByHandle.
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    ULONG_PTR* slot = nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name && !slot; ++d) {
        for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t) {
            if (t->u1.Function == reinterpret_cast<ULONG_PTR>(&GetFileInformationByHandle)) slot = &t->u1.Function;
        }
    }
    ASSERT_NE(slot, nullptr);
    realCall = *slot;
    struct Swap {
        ULONG_PTR* at;
        void Put(ULONG_PTR value) const {
            DWORD old = 0;
            VirtualProtect(at, sizeof *at, PAGE_READWRITE, &old);
            *at = value;
            VirtualProtect(at, sizeof *at, old, &old);
        }
        ~Swap() { Put(realCall); }
    } swap{slot};
    plantAt = workDir + "\\version.dll";
    planted = false;
    swap.Put(reinterpret_cast<ULONG_PTR>(&Planter::Call));

    EXPECT_FALSE(work.Prepare(Wide(workDir)));
    EXPECT_TRUE(planted) << "Prepare no longer looks at what it opened: this test proves nothing";
    EXPECT_TRUE(FileExists(plantAt));
}

}  // namespace
}  // namespace vq
