// The clean-up: everything listed goes, by full path; the directory goes if it can; a missing
// work directory is the one thing that stops the chain.
#include <gtest/gtest.h>

#include "testing/win/tests/DoubleRunner.h"
#include "upgrade/WorkDirCleanup.h"

namespace vq {
namespace {

using testing::FileExists;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

class WorkDirCleanupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetCurrentDirectoryA(sizeof dir, dir);
        savedDir_ = dir;
        workDir = exe / "VqPTemp";
        ASSERT_TRUE(CreateDirectoryA(workDir.c_str(), nullptr));
        SetFileAttributesA(workDir.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    void TearDown() override { SetCurrentDirectoryA(savedDir_.c_str()); }
    std::string CurrentDir() {
        char dir[MAX_PATH];
        GetCurrentDirectoryA(sizeof dir, dir);
        return dir;
    }
    ScratchDir exe{"exe"};
    std::string workDir;

private:
    std::string savedDir_;
};

TEST_F(WorkDirCleanupTest, RemovesEveryFileHiddenOrNotAndTheDirectory) {
    for (const char* name : {"Vorquint.exe", "Bios.bin", "fparts.txt", "fptw64.exe", ".hidden"}) {
        WriteBytes(workDir + "\\" + name, {1});
    }
    SetFileAttributesA((workDir + "\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(SetCurrentDirectoryA(workDir.c_str()));  // where the flash run left it

    EXPECT_TRUE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_FALSE(FileExists(workDir));
    EXPECT_EQ(lstrcmpiA(CurrentDir().c_str(), exe.Path().c_str()), 0) << CurrentDir();
}

TEST_F(WorkDirCleanupTest, DeletesInsideTheWorkDirectoryWhereverTheCurrentDirectoryIs) {
    WriteBytes(workDir + "\\Bios.bin", {1});
    ScratchDir other{"other"};
    WriteBytes(other / "Bios.bin", {2});
    ASSERT_TRUE(SetCurrentDirectoryA(other.Path().c_str()));

    EXPECT_TRUE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_FALSE(FileExists(workDir));
    EXPECT_EQ(ReadBytes(other / "Bios.bin"), (std::vector<uint8_t>{2}));
}

TEST_F(WorkDirCleanupTest, AnEmptyDirectoryIsRemoved) {
    EXPECT_TRUE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_FALSE(FileExists(workDir));
}

// What cannot be deleted stays, and with it the directory; the chain still goes on.
TEST_F(WorkDirCleanupTest, ASubdirectoryOrReadOnlyFileKeepsTheDirectoryButCountsAsDone) {
    WriteBytes(workDir + "\\Bios.bin", {1});
    ASSERT_TRUE(CreateDirectoryA((workDir + "\\sub").c_str(), nullptr));
    WriteBytes(workDir + "\\locked.txt", {1});
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_FALSE(FileExists(workDir + "\\Bios.bin"));
    EXPECT_TRUE(FileExists(workDir + "\\sub"));
    EXPECT_TRUE(FileExists(workDir + "\\locked.txt"));
    SetFileAttributesA((workDir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WorkDirCleanupTest, AMissingWorkDirectoryOrAFileInItsPlaceIsRefusedUntouched) {
    ASSERT_TRUE(RemoveDirectoryA(workDir.c_str()));
    const std::string before = CurrentDir();
    EXPECT_FALSE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_EQ(CurrentDir(), before);

    WriteBytes(workDir, {7});
    EXPECT_FALSE(CleanWorkDirectory(workDir, exe.Path() + "\\"));
    EXPECT_EQ(ReadBytes(workDir), (std::vector<uint8_t>{7}));
}

}  // namespace
}  // namespace vq
