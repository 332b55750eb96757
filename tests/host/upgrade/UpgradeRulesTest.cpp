// The chain's command rules: which programs run, with what.
#include <gtest/gtest.h>

#include "upgrade/UpgradeRules.h"

namespace vq {
namespace {

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
