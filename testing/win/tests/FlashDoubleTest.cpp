// The flash double accepts only what the upgrade must give it, and says what it was given.
#include <gtest/gtest.h>

#include <sstream>

#include "testing/common/FlashImageCheck.h"
#include "testing/win/tests/DoubleRunner.h"

namespace vq::testing {
namespace {

constexpr const char* kArgs = " -f Bios.bin";

std::vector<uint8_t> Image() {
    std::vector<uint8_t> image(kFlashImageSize);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = uint8_t(i * 7 + (i >> 12));
    }
    for (size_t i = 0; i < 4; ++i) {
        image[kFlashDescriptorOffset + i] = kFlashDescriptorSignature[i];
    }
    return image;
}

std::vector<std::string> Lines(const std::string& path) {
    const auto bytes = ReadBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (b != '\r') {
            line.push_back(char(b));
        }
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    return fields;
}

class FlashDouble : public ::testing::TestWithParam<bool> {
protected:
    ScratchDir work{"work"};
    ScratchDir flash{"flash"};
    ScopedEnv flashDir{"VQ_TEST_FLASH_DIR", flash.Path().c_str()};
    bool is64 = GetParam();
    const char* name = is64 ? "fptw64.exe" : "fptw.exe";
    std::vector<uint8_t> image = Image();

    void SetUp() override {
        CopyInto(work.Path(), name);
        for (const char* lib : is64 ? std::vector<const char*>{"idrvdll32e.dll", "pmxdll32e.dll"}
                                    : std::vector<const char*>{"idrvdll.dll", "pmxdll.dll"}) {
            CopyInto(work.Path(), lib);
        }
        WriteBytes(work / "fparts.txt", {';', '\r', '\n'});
        WriteBytes(work / "Bios.bin", image);
    }
    DWORD Run(const char* args = kArgs) { return RunTool(work / name, args, work.Path()); }
};

TEST_P(FlashDouble, WritesTheImageAndRecordsWhatItWasGiven) {
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(ReadBytes(flash / "flash.bin"), image);
    const auto lines = Lines(flash / "flash.log");
    ASSERT_EQ(lines.size(), 3u);
    const auto start = Fields(lines[0]);
    ASSERT_EQ(start.size(), 7u);
    EXPECT_EQ(start[0], "start");
    EXPECT_EQ(start[2], name);
    EXPECT_EQ(start[3], kArgs);
    EXPECT_EQ(lstrcmpiA(start[4].c_str(), work.Path().c_str()), 0) << start[4];
    EXPECT_EQ(start[5], "hidden");
    EXPECT_EQ(start[6], std::string(is64 ? "Bios.bin/fparts.txt/fptw64.exe/idrvdll32e.dll/pmxdll32e.dll"
                                          : "Bios.bin/fparts.txt/fptw.exe/idrvdll.dll/pmxdll.dll"));
    EXPECT_EQ(Fields(lines[1])[0], "write");
    EXPECT_EQ(Fields(lines[2])[0], "done");
}

TEST_P(FlashDouble, RefusesAnyOtherCommandLine) {
    for (const char* args : {" -f bios.bin", " -f Bios.bin ", "-f Bios.bin", " -f", ""}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Run(args), 2u);
    }
    EXPECT_FALSE(FileExists(flash / "flash.bin"));
}

TEST_P(FlashDouble, RefusesAWrongImage) {
    const std::vector<uint8_t> shortImage(image.begin(), image.end() - 1);
    auto unsigned_ = image;
    unsigned_[kFlashDescriptorOffset + 3] = 0;
    auto longImage = image;
    longImage.push_back(0);
    for (const auto& bad : {shortImage, unsigned_, longImage}) {
        WriteBytes(work / "Bios.bin", bad);
        EXPECT_EQ(Run(), 3u);
    }
    DeleteFileA((work / "Bios.bin").c_str());
    EXPECT_EQ(Run(), 3u);
    EXPECT_FALSE(FileExists(flash / "flash.bin"));
}

TEST_P(FlashDouble, NeedsItsPartListAndItsOwnDriverLibraries) {
    DeleteFileA((work / "fparts.txt").c_str());
    EXPECT_EQ(Run(), 4u);
    WriteBytes(work / "fparts.txt", {';'});
    // A library of the other width's name copied over this one: it answers with the wrong name.
    const char* mine = is64 ? "idrvdll32e.dll" : "idrvdll.dll";
    const char* other = is64 ? "idrvdll.dll" : "idrvdll32e.dll";
    ASSERT_TRUE(CopyFileA((BinDir() + "\\" + other).c_str(), (work / mine).c_str(), FALSE));
    EXPECT_EQ(Run(), 4u);
    EXPECT_FALSE(FileExists(flash / "flash.bin"));
}

TEST_P(FlashDouble, TestSettingsFailAfterRecordingOrTakeTime) {
    {
        ScopedEnv fail("VQ_TEST_FLASH_EXIT", "9");
        EXPECT_EQ(Run(), 9u);
        EXPECT_FALSE(FileExists(flash / "flash.bin"));
        const auto lines = Lines(flash / "flash.log");
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(Fields(lines[0])[0], "start");
        EXPECT_EQ(Fields(lines[1])[3], "9");
    }
    ScopedEnv slow("VQ_TEST_FLASH_MS", "400");
    const DWORD before = GetTickCount();
    EXPECT_EQ(Run(), 0u);
    EXPECT_GE(GetTickCount() - before, 400u);
}

TEST_P(FlashDouble, WithoutItsRecordFolderItFailsAndFlashesNothing) {
    ScopedEnv none("VQ_TEST_FLASH_DIR", nullptr);
    EXPECT_EQ(Run(), 64u);
    EXPECT_FALSE(FileExists(flash / "flash.bin"));
}

INSTANTIATE_TEST_SUITE_P(Builds, FlashDouble, ::testing::Values(false, true),
                         [](const auto& build) { return build.param ? "fptw64" : "fptw"; });

TEST(ShutdownDouble, RecordsItsArguments) {
    ScratchDir flash{"sd"};
    ScopedEnv flashDir{"VQ_TEST_FLASH_DIR", flash.Path().c_str()};
    const std::string tool = BinDir() + "\\shutdown.exe";
    EXPECT_EQ(RunTool(tool, "\"" + tool + "\" /s /f /t 0", flash.Path()), 0u);
    EXPECT_EQ(RunTool(tool, "shutdown /r", flash.Path()), 0u);
    const auto lines = Lines(flash / "shutdown.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Fields(lines[0])[1], "/s /f /t 0");
    EXPECT_EQ(Fields(lines[1])[1], "/r");
}

}  // namespace
}  // namespace vq::testing
