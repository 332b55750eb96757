// ExtractPayload on real files: containers made by vqpack's writer, split by the Windows reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/WinHandle.h"
#include "payload/ExtractPayload.h"
#include "payload/PayloadEntries.h"
#include "payload/RunningImage.h"
#include "testing/win/tests/DoubleRunner.h"
#include "tests/host/payload/ContainerSamples.h"

namespace vq::test {
namespace {

using Names = std::vector<std::string>;

void Write(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

DWORD HandleCount() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

// The caller's side, as the upgrade does it: the executable (for reading, shared only for
// reading, as the program holds its own file) and the directory opened first.
bool ExtractFrom(const std::string& exe, const std::string& dir, const char* const* names, uint32_t count) {
    const UniqueHandle file(CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    const UniqueHandle folder(CreateFileA(dir.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && folder.Valid() && ExtractPayload(file.Get(), folder.Get(), names, count);
}

template <size_t N>
bool ExtractFrom(const std::string& exe, const std::string& dir, const char* const (&names)[N]) {
    return ExtractFrom(exe, dir, names, N);
}

class ExtractPayloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, tmp), 0u);
        root_ = std::string(tmp) + "vq-extract-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
        dest_ = root_ + "\\VqPTemp";
        ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), nullptr));
        exe_ = root_ + "\\Vorquint.exe";
    }
    void TearDown() override { RemoveTree(root_); }

    bool Extract(const Bytes& container) {
        Write(exe_, container);
        return ExtractFrom(exe_, dest_, kPayloadFileNames);
    }

    Names Listing() {
        Names names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dest_ + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0) names.push_back(fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }

    Bytes Out(uint32_t entry) { return Read(dest_ + "\\" + kPayloadFileNames[entry]); }

    // Nothing may hold the executable once the call returns: it opens with no sharing.
    bool ExeIsFree() {
        HANDLE h = CreateFileA(exe_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    }

    std::string root_, dest_, exe_;
};

Names Sorted(Names n) {
    std::sort(n.begin(), n.end());
    return n;
}

Names FirstNames(uint32_t count) { return Sorted(Names(kPayloadFileNames, kPayloadFileNames + count)); }

TEST_F(ExtractPayloadTest, ReleaseShapedPayloadBecomesTwelveFiles) {
    const uint32_t lengths[] = {39910, 84992, 1363, 253426, 175933, 179528, 26018, 30232, 36498, 41262, 2929974};
    const Bytes image = Pattern(706048, 0);
    std::vector<Bytes> entries;
    for (uint32_t i = 0; i < 11; ++i) entries.push_back(Pattern(lengths[i], uint8_t(i + 1)));
    const DWORD handles = HandleCount();
    ASSERT_TRUE(Extract(MakeContainer(image, entries)));
    EXPECT_EQ(HandleCount(), handles);
    EXPECT_TRUE(ExeIsFree());
    EXPECT_EQ(Listing(), FirstNames(12));
    EXPECT_EQ(Out(0), image);
    for (uint32_t i = 1; i < 12; ++i) EXPECT_EQ(Out(i), entries[i - 1]) << kPayloadFileNames[i];
}

TEST_F(ExtractPayloadTest, FewEntriesZeroLengthAndNone) {
    ASSERT_TRUE(Extract(MakeContainer(Pattern(50, 0), {})));
    EXPECT_EQ(Listing(), FirstNames(1));
    EXPECT_EQ(Out(0), Pattern(50, 0));

    RemoveTree(dest_);
    CreateDirectoryA(dest_.c_str(), nullptr);
    ASSERT_TRUE(Extract(MakeContainer(Pattern(50, 0), {Pattern(3, 1), Bytes{}, Pattern(1, 3)})));
    EXPECT_EQ(Listing(), FirstNames(4));
    EXPECT_TRUE(Out(2).empty());
    EXPECT_TRUE(GetFileAttributesA((dest_ + "\\GZipW.exe").c_str()) != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Out(3), Pattern(1, 3));

    // EntryCount 0: a sound container that asks for nothing, so nothing is written.
    RemoveTree(dest_);
    CreateDirectoryA(dest_.c_str(), nullptr);
    Bytes none = MakeContainer(Pattern(50, 0), {});
    Put32(none, 50 + 8, 0);
    EXPECT_TRUE(Extract(none));
    EXPECT_EQ(Listing(), Names{});
}

// Only new files: a name somebody took first (a file, a hard link to a file elsewhere) is never
// opened and written through, and the call fails at it.
TEST_F(ExtractPayloadTest, ANameAlreadyTakenIsNeverWrittenThrough) {
    const std::vector<Bytes> entries = {Pattern(10, 1), Pattern(20, 2), Pattern(30, 3)};
    const std::string elsewhere = root_ + "\\elsewhere.bin";
    Write(elsewhere, Pattern(5000, 9));
    ASSERT_TRUE(CreateHardLinkA((dest_ + "\\" + kPayloadFileNames[1]).c_str(), elsewhere.c_str(), nullptr));
    EXPECT_FALSE(Extract(MakeContainer(Pattern(40, 0), entries)));
    EXPECT_EQ(Read(elsewhere), Pattern(5000, 9));
    EXPECT_EQ(Out(1), Pattern(5000, 9));
    EXPECT_EQ(Out(0), Pattern(40, 0));  // made before the taken name was reached

    EXPECT_FALSE(Extract(MakeContainer(Pattern(40, 0), entries)));  // a second call finds entry 0 taken
    EXPECT_EQ(Listing(), FirstNames(2));
}

TEST_F(ExtractPayloadTest, UnsignedFileIgnoresTotalSize) {
    for (uint32_t total : {0u, 7u, 0xFFFFFFFFu}) {
        RemoveTree(dest_);
        ASSERT_TRUE(CreateDirectoryA(dest_.c_str(), nullptr));
        ASSERT_TRUE(Extract(PatchSmall(kSmallImage + 4, total))) << total;
        EXPECT_EQ(Out(0), Pattern(kSmallImage, 0));
        EXPECT_EQ(Out(1), Pattern(5, 1));
        EXPECT_EQ(Out(3), Pattern(7, 3));
    }
}

TEST_F(ExtractPayloadTest, WrongMagicLeavesTheDirectoryAsItWas) {
    Write(dest_ + "\\GZip.exe", Bytes{1, 2, 3});
    const DWORD handles = HandleCount();
    EXPECT_FALSE(Extract(PatchSmall(kSmallImage, 0x2D565150u)));
    EXPECT_EQ(HandleCount(), handles);
    EXPECT_TRUE(ExeIsFree());
    EXPECT_EQ(Listing(), Names{"GZip.exe"});
    EXPECT_EQ(Out(1), (Bytes{1, 2, 3}));
}

TEST_F(ExtractPayloadTest, SignedFileGivesTheUnsignedFilesEntries) {
    const Bytes u = UnsignedPe(6, true);
    const Bytes s = Sign(u, true);
    ASSERT_TRUE(Extract(s));
    EXPECT_EQ(Out(0), Bytes(s.begin(), s.begin() + kSignedImage));  // the headers as signed
    EXPECT_EQ(Out(1), Pattern(18, 4));
    EXPECT_EQ(Listing(), FirstNames(2));
}

TEST_F(ExtractPayloadTest, BrokenContainersWriteNothing) {
    const DWORD handles = HandleCount();
    std::vector<BrokenContainer> all = BrokenContainers();
    for (BrokenContainer& c : BrokenSignedContainers()) all.push_back(c);
    for (const BrokenContainer& c : all) {
        EXPECT_FALSE(Extract(c.File)) << c.Name;
        EXPECT_EQ(Listing(), Names{}) << c.Name;
        EXPECT_EQ(HandleCount(), handles) << c.Name;
        EXPECT_TRUE(ExeIsFree()) << c.Name;
    }
}

TEST_F(ExtractPayloadTest, MoreEntriesThanNamesWritesNothing) {
    std::vector<Bytes> thirteen;
    for (uint32_t i = 1; i < 13; ++i) thirteen.push_back(Pattern(i, uint8_t(i)));
    EXPECT_FALSE(Extract(MakeContainer(Pattern(20, 0), thirteen)));
    EXPECT_EQ(Listing(), Names{});

    Write(exe_, SmallContainer());
    EXPECT_FALSE(ExtractFrom(exe_, dest_, kPayloadFileNames, 3));
    EXPECT_EQ(Listing(), Names{});
    EXPECT_TRUE(ExtractFrom(exe_, dest_, kPayloadFileNames, 4));
}

TEST_F(ExtractPayloadTest, UnreachableFilesAreFailures) {
    const DWORD handles = HandleCount();
    EXPECT_FALSE(ExtractFrom(root_ + "\\missing.exe", dest_, kPayloadFileNames));

    Write(exe_, SmallContainer());
    const std::string gone = root_ + "\\NoSuchDir";
    EXPECT_FALSE(ExtractFrom(exe_, gone, kPayloadFileNames));
    EXPECT_EQ(GetFileAttributesA(gone.c_str()), INVALID_FILE_ATTRIBUTES);

    // A directory where entry 2's file belongs: the files before it stay, the call fails.
    ASSERT_TRUE(CreateDirectoryA((dest_ + "\\GZipW.exe").c_str(), nullptr));
    EXPECT_FALSE(ExtractFrom(exe_, dest_, kPayloadFileNames));
    EXPECT_EQ(Listing(), FirstNames(3));
    EXPECT_EQ(Out(1), Pattern(5, 1));

    EXPECT_EQ(HandleCount(), handles);
    EXPECT_TRUE(ExeIsFree());
}

TEST_F(ExtractPayloadTest, OtherReadersMayHoldTheExecutable) {
    Write(exe_, SmallContainer());
    HANDLE reader = CreateFileA(exe_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(ExtractFrom(exe_, dest_, kPayloadFileNames));
    CloseHandle(reader);
    // A writer holding it open shares no reading rights the extractor asks for.
    HANDLE writer = CreateFileA(exe_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ExtractFrom(exe_, dest_, kPayloadFileNames));
    CloseHandle(writer);
}

// This test program is a running image too: the file held is its own, and while it is held
// nobody may write, rename or delete it.
TEST(RunningImage, HeldIsTheProgramsOwnFileAndCannotBeSwapped) {
    const UniqueHandle held = OpenRunningImage();
    ASSERT_TRUE(held.Valid());
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    {
        const UniqueHandle byName(CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION a, b;
        ASSERT_TRUE(GetFileInformationByHandle(held.Get(), &a) && GetFileInformationByHandle(byName.Get(), &b));
        EXPECT_EQ(a.dwVolumeSerialNumber, b.dwVolumeSerialNumber);
        EXPECT_EQ(a.nFileIndexHigh, b.nFileIndexHigh);
        EXPECT_EQ(a.nFileIndexLow, b.nFileIndexLow);
    }

    const std::wstring away = std::wstring(self) + L".away";
    EXPECT_FALSE(MoveFileExW(self, away.c_str(), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    MoveFileExW(away.c_str(), self, 0);  // puts it back should the check above have failed
    EXPECT_FALSE(UniqueHandle(CreateFileW(self, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr)).Valid());
    EXPECT_FALSE(DeleteFileW(self));
}

// A copy of this test program, run from a folder of its own, renames its file away and puts a
// byte-for-byte copy under the old name before it opens its image: same name, same bytes,
// another file. Set, the variable names the mode; the copy ends with the result.
constexpr const char* kSwapProbe = "VQ_TEST_SWAPPED_IMAGE";
constexpr DWORD kHeldOwnFile = 0, kRefused = 1, kHeldAnother = 2, kNoSwap = 3;

DWORD SwappedImageProbe() {
    wchar_t self[MAX_PATH];
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return kNoSwap;
    const std::wstring away = std::wstring(self) + L".away";
    if (!MoveFileExW(self, away.c_str(), 0) || !CopyFileW(away.c_str(), self, TRUE)) return kNoSwap;
    const UniqueHandle held = OpenRunningImage();
    if (!held.Valid()) return kRefused;
    // Which of the two files was held shows in which one can no longer be renamed.
    return MoveFileExW(away.c_str(), (away + L"2").c_str(), 0) ? kHeldAnother : kHeldOwnFile;
}

TEST(RunningImage, AnotherFileUnderItsNameBeforeTheOpenIsRefused) {
    if (GetEnvironmentVariableA(kSwapProbe, nullptr, 0) != 0) ExitProcess(SwappedImageProbe());
    testing::ScratchDir folder{"swapped"};
    const std::string probe = folder / "probe.exe";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, probe.c_str(), FALSE));
    testing::ScopedEnv mode(kSwapProbe, "1");
    const std::string args = "\"" + probe + "\" --gtest_filter=RunningImage.AnotherFile*";
    EXPECT_EQ(testing::RunTool(probe, args, folder.Path()), kRefused);
}

}  // namespace
}  // namespace vq::test
