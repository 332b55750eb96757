// Where the work directory and the executable's directory lie for a given program path.
#include <gtest/gtest.h>

#include "app/WorkDir.h"

namespace {

TEST(WorkDir, SitsBesideTheExecutable) {
    EXPECT_EQ(vq::WorkDirOf("C:\\Tools\\Vorquint.exe"), "C:\\Tools\\VqPTemp");
    EXPECT_EQ(vq::WorkDirOf("\\\\server\\share\\fw\\Vorquint.exe"), "\\\\server\\share\\fw\\VqPTemp");
}

TEST(WorkDir, InADriveRootHasNoDoubleSeparator) {
    EXPECT_EQ(vq::WorkDirOf("D:\\Vorquint.exe"), "D:\\VqPTemp");
}

TEST(WorkDir, PathWithoutSeparatorGivesTheBareName) {
    EXPECT_EQ(vq::WorkDirOf("Vorquint.exe"), "VqPTemp");
    EXPECT_EQ(vq::WorkDirOf(""), "VqPTemp");
}

TEST(WorkDir, OnlyTheLastSeparatorCounts) {
    // Forward slashes are not separators in these paths.
    EXPECT_EQ(vq::WorkDirOf("C:\\a\\b.c\\x/y.exe"), "C:\\a\\b.c\\VqPTemp");
}

TEST(ExeDir, KeepsTheTrailingSeparator) {
    EXPECT_EQ(vq::ExeDirOf("C:\\Tools\\Vorquint.exe"), "C:\\Tools\\");
    EXPECT_EQ(vq::ExeDirOf("D:\\Vorquint.exe"), "D:\\");
    EXPECT_EQ(vq::ExeDirOf("Vorquint.exe"), "");
}

}  // namespace
