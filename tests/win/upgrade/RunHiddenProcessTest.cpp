// Running a payload tool: by its full path in the work directory, judged by its exit code only,
// its printing kept in the file it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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
using testing::SetDoubleSetting;

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

// The tools run in a work directory inside a folder of the test's own, where their settings lie.
class RunHiddenProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDir_ = CurrentDir();
        ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    }
    void TearDown() override { SetCurrentDirectoryA(savedDir_.c_str()); }
    uint32_t Run(const std::string& dir, const char* tool, const char* line, HANDLE output = nullptr) {
        return RunHiddenProcess(Wide(dir), tool, line, output);
    }
    void Set(const char* name, const std::string& value) { SetDoubleSetting(home.Path(), name, value); }
    ScratchDir home{"run"};
    const std::string work = home / "VqPTemp";

private:
    std::string savedDir_;
};

TEST_F(RunHiddenProcessTest, ReturnsTheToolsExitCodeWhateverItIs) {
    CopyInto(work, "gzipw.exe");
    for (const char* code : {"0", "1", "3", "255", "3221225477"}) {
        SCOPED_TRACE(code);
        Set("VQ_TEST_GZIP_EXIT", code);
        EXPECT_EQ(Run(work, kGzipTool, kGzipCommandLine),
                  uint32_t(strtoul(code, nullptr, 10)));
    }
}

TEST_F(RunHiddenProcessTest, TakesTheToolFromTheWorkDirectoryAndLeavesTheProcessWhereItWas) {
    // A tool of that name in the current directory must not be the one that runs.
    ScratchDir elsewhere{"cwd"};
    CopyInto(elsewhere.Path(), "gzipw.exe");
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.Path().c_str()));
    EXPECT_EQ(Run(work, kGzipTool, kGzipCommandLine), kToolNotRun);
    EXPECT_EQ(CurrentDir(), elsewhere.Path());
    TearDown();  // a current directory cannot be removed
}

// gzip's report first, then the flash tool's, each on standard output or error as it chose, in
// the one file; the handle is inheritable only while a tool is being started.
TEST_F(RunHiddenProcessTest, WhatTheToolsPrintGoesToTheOutputFileInTurn) {
    ScratchDir flash{"rec"};
    Set("VQ_TEST_FLASH_DIR", flash.Path());
    CopyInto(work, "gzipw.exe");
    CopyInto(work, "fptw64.exe");
    testing::WriteBytes(work + "\\a.gz", {'n', 'o', 't'});
    HANDLE output = CreateFileA((flash / "output").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run(work, kGzipTool, kGzipCommandLine, output), 1u);
    EXPECT_EQ(Run(work, FlashToolFor(true), FlashCommandLine().c_str(), output), 3u);
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
    Set("VQ_TEST_GZIP_EXIT", "0");
    EXPECT_EQ(Run(work + "\\gone", kGzipTool, kGzipCommandLine), kToolNotRun);
    TearDown();  // a current directory cannot be removed
}

TEST_F(RunHiddenProcessTest, PassesTheArgumentsAloneAndStartsTheChildHiddenInTheWorkDirectory) {
    ScratchDir flash{"rec"};
    Set("VQ_TEST_FLASH_DIR", flash.Path());
    CopyInto(work, "fptw64.exe");
    // No image in the work directory: the double records what it got, then fails with 3.
    EXPECT_EQ(Run(work, FlashToolFor(true), FlashCommandLine().c_str()), 3u);
    const auto log = ReadBytes(flash / "flash.log");
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("\tfptw64.exe\t -f Bios.bin\t" + work + "\thidden\t"), std::string::npos)
        << text;
}

// Failed, and saying so where a failed run is looked into: one line per attempt, naming the tool
// and the system's error.
TEST_F(RunHiddenProcessTest, AToolThatCannotStartCountsAsFailedAndSaysWhy) {
    ScratchDir record{"rec"};
    HANDLE output = CreateFileA((record / "output").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run(work, FlashToolFor(true), FlashCommandLine().c_str(), output), kToolNotRun);
    testing::WriteBytes(work + "\\fptw64.exe", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'e', 'x', 'e'});
    EXPECT_EQ(Run(work, FlashToolFor(true), FlashCommandLine().c_str(), output), kToolNotRun);
    EXPECT_EQ(Run(work + "\\missing", FlashToolFor(true), FlashCommandLine().c_str()), kToolNotRun);
    CloseHandle(output);
    const auto bytes = ReadBytes(record / "output");
    const std::string text(bytes.begin(), bytes.end());
    const std::string missing = "fptw64.exe could not be started: error " + std::to_string(ERROR_FILE_NOT_FOUND) + ": ";
    EXPECT_EQ(text.rfind(missing, 0), 0u) << text;
    const size_t second = text.find("\r\n") + 2;
    EXPECT_EQ(text.find("fptw64.exe could not be started: error ", second), second) << text;
    EXPECT_EQ(text.find("\r\n", second) + 2, text.size()) << "one line each:\n" << text;
}

// What the user's environment holds (a folder of theirs on PATH, with a DLL a tool would load,
// any variable) does not reach a tool: it gets the system's places and its own for temporary files.
TEST_F(RunHiddenProcessTest, AToolGetsAnEnvironmentOfTheProgramsMakingAndNothingOfTheUsers) {
    ScratchDir flash{"rec"};
    ScratchDir userPath{"path"};
    Set("VQ_TEST_FLASH_DIR", flash.Path());
    ASSERT_TRUE(CopyFileA((BinDir() + "\\idrvdll.dll").c_str(), (userPath / "vqplanted.dll").c_str(), FALSE));
    char path[4096] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    ScopedEnv userFirst("PATH", (userPath.Path() + ";" + path).c_str());
    ScopedEnv mine("VQ_TEST_USERS_OWN", "1");
    CopyInto(work, "fptw64.exe");
    EXPECT_EQ(Run(work, FlashToolFor(true), FlashCommandLine().c_str()), 3u);  // no image: fails after recording

    char windows[MAX_PATH], system[MAX_PATH];
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    const auto bytes = ReadBytes(flash / "probe.txt");
    const std::string text(bytes.begin(), bytes.end());
    const size_t firstEnd = text.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(text.substr(0, firstEnd), "-") << "the DLL on the user's PATH was loaded";
    // Wine sets SystemDrive and its own WINE... settings in every process it starts.
    std::vector<std::string> given;
    for (size_t at = firstEnd + 2, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        if (line.rfind("WINE", 0) != 0 && line.rfind("SystemDrive=", 0) != 0) given.push_back(line);
    }
    std::sort(given.begin(), given.end());
    const std::vector<std::string> made{"ComSpec=" + std::string(system) + "\\cmd.exe",
                                        "PATH=" + std::string(system) + ";" + windows,
                                        "SystemRoot=" + std::string(windows),
                                        "TEMP=" + work,
                                        "TMP=" + work,
                                        "windir=" + std::string(windows)};
    EXPECT_EQ(given, made);
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
    CopyInto(work, "gzipw.exe");
    Set("VQ_TEST_GZIP_EXIT", "0");
    Run(work, kGzipTool, kGzipCommandLine);  // first use may open lasting handles
    const uintptr_t before = HandleFrontier();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Run(work, kGzipTool, kGzipCommandLine), 0u);
    }
    const uintptr_t after = HandleFrontier();
    constexpr uintptr_t kHandleStep = 4;  // handle values are multiples of four
    EXPECT_LT(after, before + 5 * kHandleStep);  // two handles per run would leak ten
}

// A tool's exit is not the end of what it started: a process it left behind (as Wine's console
// host, or a tool's own helper) still has the work directory, and the clean-up waits for it.
TEST_F(RunHiddenProcessTest, ToolsEndedWaitsForWhatAToolLeftRunning) {
    ScratchDir flash{"flash"};
    Set("VQ_TEST_FLASH_DIR", flash.Path());
    Set("VQ_TEST_FLASH_QUICK", "1500");
    CopyInto(work, "fptw64.exe");
    ASSERT_EQ(Run(work, "fptw64.exe", " -f Bios.bin"), 0u);
    HoldBackoff brief(200);
    EXPECT_FALSE(ToolsEnded(brief));
    const ULONGLONG start = GetTickCount64();
    HoldBackoff hold;
    EXPECT_TRUE(ToolsEnded(hold));
    EXPECT_GE(GetTickCount64() - start, 800u);  // what the brief wait and the tool's start left of 1.5 s
}

}  // namespace
}  // namespace vq
