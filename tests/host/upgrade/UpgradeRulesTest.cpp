// The chain's path and command rules: where files are deleted, which programs run, with what.
#include <gtest/gtest.h>

#include "app/WorkDir.h"
#include "upgrade/UpgradeRules.h"

namespace vq {
namespace {

TEST(PathInDir, JoinsWithOneBackslashAlsoAtADriveRoot) {
    EXPECT_EQ(PathInDir("C:\\Tools\\VqPTemp", "Bios.bin"), "C:\\Tools\\VqPTemp\\Bios.bin");
    EXPECT_EQ(PathInDir("D:\\", "VqPTemp"), "D:\\VqPTemp");
    EXPECT_EQ(PathInDir("", "Bios.bin"), "Bios.bin");
    EXPECT_EQ(PathInDir(L"D:\\Firmware\uFF3CUpdate", L"VqPTemp"), L"D:\\Firmware\uFF3CUpdate\\VqPTemp");
    EXPECT_EQ(PathInDir(L"D:\\", L"VqPTemp"), L"D:\\VqPTemp");
}

// The work directory lies in the executable's directory, in the path's own characters.
TEST(WorkDirOf, TheExecutablesDirectoryKeepsItsBackslashAndItsCharacters) {
    for (const char* exe : {"C:\\Tools\\Vorquint.exe", "D:\\Vorquint.exe", "\\\\srv\\share\\V.exe"}) {
        SCOPED_TRACE(exe);
        const std::string dir = ExeDirOf(exe);
        ASSERT_FALSE(dir.empty());
        EXPECT_EQ(dir.back(), '\\');
        EXPECT_NE(dir, WorkDirOf(exe));
        EXPECT_EQ(PathInDir(dir, "VqPTemp"), WorkDirOf(exe));
    }
    EXPECT_EQ(ExeDirOf("D:\\Vorquint.exe"), "D:\\");
    EXPECT_EQ(WorkDirOf(L"C:\\Firmware\uFF3CUpdate\\Vorquint.exe"), L"C:\\Firmware\uFF3CUpdate\\VqPTemp");
}

TEST(ShutdownCommandLine, RunsTheSystemDirectorysProgramByFullPath) {
    EXPECT_EQ(ShutdownCommandLine(L"C:\\Windows\\system32"),
              L"C:\\Windows\\system32\\shutdown.exe /s /f /t 0");
    EXPECT_EQ(ShutdownProgram(L"C:\\Windows\\system32"), L"C:\\Windows\\system32\\shutdown.exe");
    EXPECT_EQ(ShutdownCommandLine(L"C:\\Windows\\system32\\"),
              L"C:\\Windows\\system32\\shutdown.exe /s /f /t 0");
    // Unquoted, "C:\My Windows\..." would first try to run "C:\My.exe".
    EXPECT_EQ(ShutdownCommandLine(L"C:\\My Windows\\system32"),
              L"\"C:\\My Windows\\system32\\shutdown.exe\" /s /f /t 0");
    // No system directory known: nothing runs, since a bare name finds a copy beside the program.
    EXPECT_EQ(ShutdownCommandLine(L""), L"");
    EXPECT_EQ(ShutdownProgram(L""), L"");
}

TEST(Tools, TheSystemsFlashToolBuildAndTheCommandLinesFromTheEntryTable) {
    EXPECT_STREQ(FlashToolFor(true), "fptw64.exe");
    EXPECT_STREQ(FlashToolFor(false), "fptw.exe");
    EXPECT_EQ(FlashCommandLine(), " -f Bios.bin");
    EXPECT_STREQ(kGzipTool, "gzipw.exe");
}

}  // namespace
}  // namespace vq
