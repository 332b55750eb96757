// Libraries planted beside the program: none loads after the search is restricted, the program's
// own run-time loads come from the system directory alone, and its import table binds none.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/Paths.h"
#include "base/ProcessInfo.h"
#include "base/SystemLibraries.h"
#include "testing/win/tests/DoubleRunner.h"

namespace {

using vq::testing::BinDir;
using vq::testing::RunTool;
using vq::testing::ScopedEnv;
using vq::testing::ScratchDir;

// A system DLL that Wine's own libraries do not load into every program by themselves, so a
// planted copy is loaded only if the code under test asks for it.
constexpr const char* kPlantedName = "msimg32.dll";
// A copy of this test program beside the planted library plays the program: set to "plain" or
// "system", it loads kPlantedName that way and ends with a kLoaded... code.
constexpr const char* kProbeVariable = "VQ_TEST_DLL_PROBE";
constexpr DWORD kLoadedFromSystem = 0;
constexpr DWORD kLoadedFromElsewhere = 1;
constexpr DWORD kNotLoaded = 2;

std::string SystemDir() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return dir;
}

// A native-first override for `names`, on top of what the test run already overrides.
std::string OverridesWithNativeFirst(const char* names) {
    char current[1024] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", current, sizeof current);
    return std::string(current) + (current[0] ? ";" : "") + names + "=n,b";
}

DWORD Probe(const std::string& mode) {
    const HMODULE lib =
        mode == "system" ? vq::LoadSystemLibrary(kPlantedName) : LoadLibraryA(kPlantedName);
    if (lib == nullptr) return kNotLoaded;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(lib, path, MAX_PATH);
    return lstrcmpiW(vq::FolderOf(path).c_str(), vq::PathInDir(vq::SystemDir(), L"").c_str()) == 0
               ? kLoadedFromSystem
               : kLoadedFromElsewhere;
}

TEST(DllSearch, PlantedLibraryBesideTheProgramIsNotLoaded) {
    // Any real DLL will do as the planted one: a copy of a system library under a new name, this
    // process's own (the tree's tests may run on two Windows at once).
    const std::string name = "vq_planted_test_" + std::to_string(GetCurrentProcessId()) + ".dll";
    const std::string planted = BinDir() + "\\" + name;
    ASSERT_TRUE(CopyFileA((SystemDir() + "\\version.dll").c_str(), planted.c_str(), FALSE));

    HMODULE before = LoadLibraryA(name.c_str());
    ASSERT_NE(before, nullptr) << "the planted copy must be loadable at all, or this test proves nothing";
    FreeLibrary(before);

    ASSERT_TRUE(vq::RestrictDllSearchToSystem());
    HMODULE after = LoadLibraryA(name.c_str());
    EXPECT_EQ(after, nullptr);
    if (after) FreeLibrary(after);
    DeleteFileA(planted.c_str());
}

// Loaded by name, a library comes from the program's folder first, before the search is
// restricted: that is what a planted copy with a native-first override shows. The program's own
// loads must take the system directory's copy all the same.
TEST(DllSearch, ItsOwnLoadsTakeTheSystemCopyOverAPlantedOne) {
    char mode[16] = {};
    if (GetEnvironmentVariableA(kProbeVariable, mode, sizeof mode) != 0) {
        ExitProcess(Probe(mode));
    }
    ScratchDir folder{"plant"};
    const std::string probe = folder / "probe.exe";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, probe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((BinDir() + "\\idrvdll32e.dll").c_str(), (folder / kPlantedName).c_str(), FALSE));
    ScopedEnv overrides("WINEDLLOVERRIDES", OverridesWithNativeFirst("msimg32").c_str());
    const std::string args =
        std::string("\"").append(probe).append("\" --gtest_filter=DllSearch.ItsOwnLoads*");
    {
        ScopedEnv plain(kProbeVariable, "plain");
        ASSERT_EQ(RunTool(probe, args, folder.Path()), kLoadedFromElsewhere)
            << "a plain load must find the planted copy here, or this test proves nothing";
    }
    ScopedEnv system(kProbeVariable, "system");
    EXPECT_EQ(RunTool(probe, args, folder.Path()), kLoadedFromSystem);
}

}  // namespace
