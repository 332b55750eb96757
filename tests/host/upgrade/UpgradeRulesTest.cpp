// The chain's path and command rules: where files are deleted, which programs run, with what.
#include <gtest/gtest.h>

#include "upgrade/UpgradeRules.h"

namespace vq {
namespace {

TEST(PathInDir, JoinsWithOneBackslashAlsoAtADriveRoot) {
    EXPECT_EQ(PathInDir(L"C:\\Tools\\VqPTemp", L"Bios.bin"), L"C:\\Tools\\VqPTemp\\Bios.bin");
    EXPECT_EQ(PathInDir(L"", L"Bios.bin"), L"Bios.bin");
    EXPECT_EQ(PathInDir(L"D:\\Firmware\uFF3CUpdate", L"VqPTemp"), L"D:\\Firmware\uFF3CUpdate\\VqPTemp");
    EXPECT_EQ(PathInDir(L"D:\\", L"VqPTemp"), L"D:\\VqPTemp");
}

// The folder keeps its backslash, so that a drive's root stays the root and not the drive's
// current directory; what follows it is the bare name.
TEST(FolderOf, KeepsTheLastBackslashAndTheRestIsTheName) {
    EXPECT_EQ(FolderOf(L"C:\\Tools\\Vorquint.exe"), L"C:\\Tools\\");
    EXPECT_EQ(FolderOf(L"D:\\Vorquint.exe"), L"D:\\");
    EXPECT_EQ(FolderOf(L"\\\\srv\\share\\V.exe"), L"\\\\srv\\share\\");
    EXPECT_EQ(FolderOf(L"Vorquint.exe"), L"");
    EXPECT_EQ(FolderOf(L"C:\\Tools\\"), L"C:\\Tools\\");
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
