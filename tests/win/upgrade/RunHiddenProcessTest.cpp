// Running a payload tool: by its full path in the work directory, judged by its exit code only,
// its printing kept in the file it is given.
#include <gtest/gtest.h>

#include <algorithm>

#include "testing/win/tests/DoubleRunner.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"

namespace vq {
namespace {

using testing::BinDir;
using testing::CopyInto;
using testing::ReadBytes;
using testing::ScopedEnv;
using testing::ScratchDir;

std::wstring Wide(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), wide.data(), int(wide.size())));
    return wide;
}

std::string CurrentDir() {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

class RunHiddenProcessTest : public ::testing::Test {
protected:
    void SetUp() override { savedDir_ = CurrentDir(); }
    void TearDown() override { SetCurrentDirectoryA(savedDir_.c_str()); }
    uint32_t Run(const std::string& dir, const char* tool, const char* line, HANDLE output = nullptr) {
        return RunHiddenProcess(Wide(dir), tool, line, output);
    }
    ScratchDir work{"run"};

private:
    std::string savedDir_;
};

TEST_F(RunHiddenProcessTest, ReturnsTheToolsExitCodeWhateverItIs) {
    CopyInto(work.Path(), "gzipw.exe");
    for (const char* code : {"0", "1", "3", "255", "3221225477"}) {
        SCOPED_TRACE(code);
        ScopedEnv forced("VQ_TEST_GZIP_EXIT", code);
        EXPECT_EQ(Run(work.Path(), kGzipTool, kGzipCommandLine),
                  uint32_t(strtoul(code, nullptr, 10)));
    }
}

TEST_F(RunHiddenProcessTest, TakesTheToolFromTheWorkDirectoryAndLeavesTheProcessWhereItWas) {
    // A tool of that name in the current directory must not be the one that runs.
    ScratchDir elsewhere{"cwd"};
    CopyInto(elsewhere.Path(), "gzipw.exe");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.Path().c_str()));
    EXPECT_EQ(Run(work.Path(), kGzipTool, kGzipCommandLine), kToolNotRun);
    EXPECT_EQ(CurrentDir(), elsewhere.Path());
    TearDown();  // a current directory cannot be removed
}

// gzip's report first, then the flash tool's, each on standard output or error as it chose, in
// the one file; the handle is inheritable only while a tool is being started.
TEST_F(RunHiddenProcessTest, WhatTheToolsPrintGoesToTheOutputFileInTurn) {
    ScratchDir flash{"rec"};
    ScopedEnv record("VQ_TEST_FLASH_DIR", flash.Path().c_str());
    CopyInto(work.Path(), "gzipw.exe");
    CopyInto(work.Path(), "fptw64.exe");
    testing::WriteBytes(work / "a.gz", {'n', 'o', 't'});
    HANDLE output = CreateFileA((flash / "output").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run(work.Path(), kGzipTool, kGzipCommandLine, output), 1u);
    EXPECT_EQ(Run(work.Path(), FlashToolFor(true), FlashCommandLine().c_str(), output), 3u);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(output, &flags));
    EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    CloseHandle(output);
    const auto bytes = ReadBytes(flash / "output");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "gzipw: a.gz: failed with 1\r\nfptw64.exe: failed with 3\r\n");
}

TEST_F(RunHiddenProcessTest, AMissingWorkDirectoryRunsNoToolFromElsewhere) {
    // The bare name would otherwise resolve in whatever directory is current: another tool,
    // another image.
    ScratchDir elsewhere{"cwd"};
    CopyInto(elsewhere.Path(), "gzipw.exe");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.Path().c_str()));
    ScopedEnv forced("VQ_TEST_GZIP_EXIT", "0");
    EXPECT_EQ(Run(work.Path() + "\\gone", kGzipTool, kGzipCommandLine), kToolNotRun);
    TearDown();  // a current directory cannot be removed
}

TEST_F(RunHiddenProcessTest, PassesTheArgumentsAloneAndStartsTheChildHiddenInTheWorkDirectory) {
    ScratchDir flash{"rec"};
    ScopedEnv record("VQ_TEST_FLASH_DIR", flash.Path().c_str());
    CopyInto(work.Path(), "fptw64.exe");
    // No image in the work directory: the double records what it got, then fails with 3.
    EXPECT_EQ(Run(work.Path(), FlashToolFor(true), FlashCommandLine().c_str()), 3u);
    const auto log = ReadBytes(flash / "flash.log");
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("\tfptw64.exe\t -f Bios.bin\t" + work.Path() + "\thidden\t"), std::string::npos)
        << text;
}

TEST_F(RunHiddenProcessTest, AToolThatCannotStartCountsAsFailed) {
    EXPECT_EQ(Run(work.Path(), FlashToolFor(true), FlashCommandLine().c_str()), kToolNotRun);
    testing::WriteBytes(work / "fptw64.exe", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'e', 'x', 'e'});
    EXPECT_EQ(Run(work.Path(), FlashToolFor(true), FlashCommandLine().c_str()), kToolNotRun);
    EXPECT_EQ(Run(work.Path() + "\\missing", FlashToolFor(true), FlashCommandLine().c_str()),
              kToolNotRun);
}

// Handle tables hand out free slots from the bottom, so where a batch of fresh handles ends shows
// how many slots are taken (Wine reports no handle count).
uintptr_t HandleFrontier() {
    HANDLE probes[64];
    uintptr_t highest = 0;
    for (HANDLE& probe : probes) {
        probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        highest = std::max(highest, reinterpret_cast<uintptr_t>(probe));
    }
    for (HANDLE probe : probes) {
        CloseHandle(probe);
    }
    return highest;
}

TEST_F(RunHiddenProcessTest, ClosesTheChildsHandles) {
    CopyInto(work.Path(), "gzipw.exe");
    ScopedEnv forced("VQ_TEST_GZIP_EXIT", "0");
    Run(work.Path(), kGzipTool, kGzipCommandLine);  // first use may open lasting handles
    const uintptr_t before = HandleFrontier();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Run(work.Path(), kGzipTool, kGzipCommandLine), 0u);
    }
    const uintptr_t after = HandleFrontier();
    constexpr uintptr_t kHandleStep = 4;  // handle values are multiples of four
    EXPECT_LT(after, before + 5 * kHandleStep);  // two handles per run would leak ten
}

}  // namespace
}  // namespace vq
