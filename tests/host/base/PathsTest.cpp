// The Windows face's path joins and splits: a root stays a root, a name stays the bare name.
#include <gtest/gtest.h>

#include "base/Paths.h"

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
    EXPECT_EQ(NameOf(L"C:\\Tools\\Vorquint.exe"), L"Vorquint.exe");
    EXPECT_EQ(FolderOf(L"D:\\Vorquint.exe"), L"D:\\");
    EXPECT_EQ(FolderOf(L"\\\\srv\\share\\V.exe"), L"\\\\srv\\share\\");
    EXPECT_EQ(FolderOf(L"Vorquint.exe"), L"");
    EXPECT_EQ(NameOf(L"Vorquint.exe"), L"Vorquint.exe");
    EXPECT_EQ(FolderOf(L"C:\\Tools\\"), L"C:\\Tools\\");
    EXPECT_EQ(NameOf(L"C:\\Tools\\"), L"");
}

}  // namespace
}  // namespace vq
