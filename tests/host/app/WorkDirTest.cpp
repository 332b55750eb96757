// Where the work directory lies for a given program path.
#include <gtest/gtest.h>

#include "app/WorkDir.h"

namespace {

TEST(WorkDir, SitsBesideTheExecutable) {
    EXPECT_EQ(vq::WorkDirOf(L"C:\\Tools\\Vorquint.exe"), L"C:\\Tools\\VqPTemp");
    EXPECT_EQ(vq::WorkDirOf(L"\\\\server\\share\\fw\\Vorquint.exe"), L"\\\\server\\share\\fw\\VqPTemp");
    EXPECT_EQ(vq::WorkDirOf(L"C:\\Firmware\uFF3CUpdate\\Vorquint.exe"), L"C:\\Firmware\uFF3CUpdate\\VqPTemp");
}

TEST(WorkDir, InADriveRootHasNoDoubleSeparator) {
    EXPECT_EQ(vq::WorkDirOf(L"D:\\Vorquint.exe"), L"D:\\VqPTemp");
}

TEST(WorkDir, PathWithoutSeparatorGivesTheBareName) {
    EXPECT_EQ(vq::WorkDirOf(L"Vorquint.exe"), L"VqPTemp");
    EXPECT_EQ(vq::WorkDirOf(L""), L"VqPTemp");
}

TEST(WorkDir, OnlyTheLastSeparatorCounts) {
    // Forward slashes are not separators in these paths.
    EXPECT_EQ(vq::WorkDirOf(L"C:\\a\\b.c\\x/y.exe"), L"C:\\a\\b.c\\VqPTemp");
}

}  // namespace
