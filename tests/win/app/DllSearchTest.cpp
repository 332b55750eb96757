// A DLL planted beside the program loads before the restriction and never after it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/SystemCalls.h"
#include "app/WorkDir.h"

namespace {

TEST(DllSearch, PlantedLibraryBesideTheProgramIsNotLoaded) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    // Any real DLL will do as the planted one: a copy of a system library under a new name.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string planted = vq::ExeDirOf(self) + "vq_planted_test.dll";
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(), planted.c_str(), FALSE));

    HMODULE before = LoadLibraryA("vq_planted_test.dll");
    ASSERT_NE(before, nullptr) << "the planted copy must be loadable at all, or this test proves nothing";
    FreeLibrary(before);

    ASSERT_TRUE(vq::RestrictDllSearchToSystem());
    HMODULE after = LoadLibraryA("vq_planted_test.dll");
    EXPECT_EQ(after, nullptr);
    if (after) FreeLibrary(after);
    DeleteFileA(planted.c_str());
}

}  // namespace
