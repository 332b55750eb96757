// The work directory before extraction: always a new one of the program's own, with a protected
// access list; a link, a junction or a file in its place is refused and left as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "testing/win/tests/DoubleRunner.h"
#include "upgrade/WorkDirCleanup.h"
#include "upgrade/WorkDirPrepare.h"

namespace vq {
namespace {

using testing::FileExists;
using testing::MakeDirectoryLink;
using testing::ReadBytes;
using testing::ScratchDir;
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

class WorkDirPrepareTest : public ::testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryA(sizeof savedDir_, savedDir_); }
    // Emptying a leftover moves the current directory into `exe`, which must go afterwards.
    void TearDown() override { SetCurrentDirectoryA(savedDir_); }
    char savedDir_[MAX_PATH] = {};
    ScratchDir elsewhere{"elsewhere"};  // goes after `exe`, so a link in `exe` still leads here then
    ScratchDir exe{"prep"};
    std::string workDir = exe / "VqPTemp";
    std::string ExeDir() const { return exe.Path() + "\\"; }
};

TEST_F(WorkDirPrepareTest, ALeftoverDirectoryGivesWayToAnEmptyHiddenOneOfOurOwn) {
    ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
    WriteBytes(workDir + "\\version.dll", {'M', 'Z'});  // would be loaded by a tool run here
    WriteBytes(workDir + "\\Bios.bin", {1});
    WriteBytes(exe / "beside.txt", {2});

    ASSERT_TRUE(PrepareWorkDirectory(workDir));
    EXPECT_EQ(KindOf(workDir), PathKind::Directory);
    EXPECT_FALSE(FileExists(workDir + "\\version.dll"));
    EXPECT_FALSE(FileExists(workDir + "\\Bios.bin"));
    EXPECT_TRUE(GetFileAttributesA(workDir.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ReadBytes(exe / "beside.txt"), (std::vector<uint8_t>{2}));
}

// The list the new directory is made with. (This Wine keeps no list for a file: read back, it
// shows one made up from the Unix mode, so the list is read from what the program passes.)
TEST_F(WorkDirPrepareTest, OnlyAdministratorsAndSystemMayWriteAndUsersMayRead) {
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
// file, stay exactly as they were, and so does the clean-up after a swap during the flash.
TEST_F(WorkDirPrepareTest, ALinkOrAFileInItsPlaceIsRefusedAndLeftAsItWas) {
    WriteBytes(elsewhere / "keep.txt", {3});
    ASSERT_TRUE(MakeDirectoryLink(workDir, elsewhere.Path()));
    ASSERT_EQ(KindOf(workDir), PathKind::ReparsePoint);

    EXPECT_FALSE(PrepareWorkDirectory(workDir));
    EXPECT_FALSE(CleanWorkDirectory(workDir, ExeDir()));
    EXPECT_EQ(KindOf(workDir), PathKind::ReparsePoint);
    EXPECT_EQ(ReadBytes(elsewhere / "keep.txt"), (std::vector<uint8_t>{3}));
    EXPECT_EQ(ReadBytes(workDir + "\\keep.txt"), (std::vector<uint8_t>{3}));

    ScratchDir other{"file"};
    const std::string fileInPlace = other / "VqPTemp";
    WriteBytes(fileInPlace, {4, 5});
    EXPECT_FALSE(PrepareWorkDirectory(fileInPlace));
    EXPECT_EQ(ReadBytes(fileInPlace), (std::vector<uint8_t>{4, 5}));
}

// Without a folder in front, the name would be taken relative to the current directory.
TEST_F(WorkDirPrepareTest, ABareNameIsNoPlaceToWork) {
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    ASSERT_TRUE(SetCurrentDirectoryA(exe.Path().c_str()));
    EXPECT_FALSE(PrepareWorkDirectory("VqPTemp"));
    EXPECT_FALSE(FileExists(workDir));
    SetCurrentDirectoryA(before);
}

}  // namespace
}  // namespace vq
