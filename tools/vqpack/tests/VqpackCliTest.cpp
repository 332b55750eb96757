// vqpack as a release engineer runs it: build, list, extract and verify round trips, exit codes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "payload/PayloadEntries.h"
#include "tests/host/payload/ContainerSamples.h"
#include "tools/vqpack/GzipMember.h"

namespace vq::test {
namespace {

namespace fs = std::filesystem;

const char* const kInputs[] = {"gzip.exe",    "gzipw.exe",      "fparts.txt", "fpt.exe",
                               "fptw.exe",    "fptw64.exe",     "idrvdll.DLL", "idrvdll32e.DLL",
                               "pmxdll.DLL",  "pmxdll32e.DLL",  "BIOS.bin"};

void Write(const fs::path& p, const Bytes& b) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string Text(const fs::path& p) {
    const Bytes b = Read(p);
    return std::string(b.begin(), b.end());
}

Bytes FlashImage(bool signature) {
    Bytes b = Pattern(4194304, 9);
    const uint8_t sig[] = {0x5A, 0xA5, 0xF0, 0x0F};
    if (signature) std::copy(sig, sig + 4, b.begin() + 16);
    return b;
}

class VqpackCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("vqpack-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs vqpack with args (already quoted where needed) in the test's directory.
    int Run(const std::string& args) {
        const std::string cmd = "cd '" + dir_.string() + "' && '" VQPACK_PATH "' " + args +
                                " >stdout.txt 2>stderr.txt";
        const int status = system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() { return Text(dir_ / "stdout.txt"); }
    // Temporary files vqpack left in the test's directory.
    std::string Leftovers() {
        std::string names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            const std::string name = e.path().filename().string();
            if (name.find(".vqpack-") != std::string::npos) names += name + " ";
        }
        return names;
    }
    std::string Err() { return Text(dir_ / "stderr.txt"); }

    // Inputs like the shipped payload's, small except for the flash image.
    void MakeInputs(bool flashSignature = true) {
        Write(dir_ / "image.exe", Pattern(3000, 0));
        for (size_t i = 0; i + 1 < std::size(kInputs); ++i)
            Write(dir_ / kInputs[i], Pattern(200 + 150 * i, uint8_t(i + 1)));
        Write(dir_ / "BIOS.bin", FlashImage(flashSignature));
    }

    std::string AllEntries() {
        std::string s;
        for (const char* in : kInputs) s += std::string(" ") + in;
        return s;
    }

    int Build(const std::string& out, const std::string& extra = "") {
        return Run("build --image image.exe --out " + out + " " + extra + AllEntries());
    }

    fs::path dir_;
};

TEST_F(VqpackCli, BuildThenVerifyListAndExtract) {
    MakeInputs();
    ASSERT_EQ(Run("build --image image.exe --out Vorquint.exe --mtime 2012-02-07T10:03:48Z gzip.exe "
                  "gzipw.exe fparts.txt:fparts.txt:2012-02-07T08:44:58Z fpt.exe fptw.exe fptw64.exe "
                  "idrvdll.DLL idrvdll32e.DLL pmxdll.DLL pmxdll32e.DLL BIOS.bin"),
              0)
        << Err();
    EXPECT_EQ(Run("verify Vorquint.exe"), 0) << Err();

    ASSERT_EQ(Run("list Vorquint.exe"), 0) << Err();
    const std::string table = Out();
    EXPECT_NE(table.find("image size C  3000"), std::string::npos) << table;
    EXPECT_NE(table.find("fparts.txt      2012-02-07T08:44:58Z"), std::string::npos) << table;
    EXPECT_NE(table.find("BIOS.bin        2012-02-07T10:03:48Z"), std::string::npos) << table;
    EXPECT_NE(table.find("4194304"), std::string::npos) << table;

    ASSERT_EQ(Run("list Vorquint.exe --json"), 0) << Err();
    const std::string json = Out();
    EXPECT_NE(json.find("\"entryCount\": 12"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"index\": 1, \"name\": \"GZip.exe\", \"offset\": 3020, \"length\": 200}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"storedName\": \"BIOS.bin\", \"mtime\": \"2012-02-07T10:03:48Z\""),
              std::string::npos)
        << json;

    ASSERT_EQ(Run("extract Vorquint.exe out"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "out" / "Vorquint.exe"), Read(dir_ / "image.exe"));
    EXPECT_EQ(Read(dir_ / "out" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    EXPECT_EQ(Read(dir_ / "out" / "GZipW.exe"), Read(dir_ / "gzipw.exe"));
    for (uint32_t i = 3; i < kPayloadEntryCount; ++i) {
        const Bytes member = Read(dir_ / "out" / kPayloadFileNames[i]);
        const Bytes plain = Read(dir_ / kInputs[i - 1]);
        GzipContents c;
        EXPECT_TRUE(CheckGzipMember(member.data(), member.size(), c).empty()) << kPayloadFileNames[i];
        EXPECT_EQ(c.Size, plain.size());
        EXPECT_EQ(c.Crc32, crc32(0, plain.data(), static_cast<uInt>(plain.size()))) << kPayloadFileNames[i];
    }

    ASSERT_EQ(Run("extract Vorquint.exe dos --numbered"), 0) << Err();
    for (uint32_t i = 0; i < kPayloadEntryCount; ++i)
        EXPECT_EQ(Read(dir_ / "dos" / ("VQExt_" + std::to_string(i))), Read(dir_ / "out" / kPayloadFileNames[i]));
}

// A stored name comes from whoever made the member; its control characters must not reach the
// terminal raw, in the table or in JSON.
TEST_F(VqpackCli, ListEscapesStoredNames) {
    MakeInputs();
    ASSERT_EQ(Run("build --image image.exe --out o.exe gzip.exe gzipw.exe 'fparts.txt:a\x1b[2Jb\tc'"), 0) << Err();
    ASSERT_EQ(Run("list o.exe"), 0) << Err();
    EXPECT_NE(Out().find("  a\\u001b[2Jb\\u0009c "), std::string::npos) << Out();
    EXPECT_EQ(Out().find_first_of("\x1b\t"), std::string::npos) << Out();
    ASSERT_EQ(Run("list o.exe --json"), 0) << Err();
    EXPECT_NE(Out().find("\"storedName\": \"a\\u001b[2Jb\\u0009c\""), std::string::npos) << Out();
}

TEST_F(VqpackCli, SameInputsGiveTheSameBytes) {
    MakeInputs();
    ASSERT_EQ(Build("a.exe"), 0) << Err();
    ASSERT_EQ(Build("b.exe"), 0) << Err();
    ASSERT_EQ(Build("c.exe", "--mtime 1"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "a.exe"), Read(dir_ / "b.exe"));
    EXPECT_NE(Read(dir_ / "a.exe"), Read(dir_ / "c.exe"));
}

// A drive letter's colon belongs to the path; only the colons after it split off NAME and TIME.
// Here, where '\\' is no separator, such a path is one file in the working directory.
TEST_F(VqpackCli, DrivePathsKeepTheirColon) {
    MakeInputs();
    const std::string gzip = "C:\\dir\\GZip.exe", parts = "C:\\dir\\fparts.txt";
    fs::copy_file(dir_ / "gzip.exe", dir_ / gzip);
    fs::copy_file(dir_ / "fparts.txt", dir_ / parts);
    ASSERT_EQ(Run("build --image image.exe --out o.exe '" + gzip + "' gzipw.exe '" + parts +
                  ":fparts.txt:2012-02-07T08:44:58Z'"),
              0)
        << Err();
    ASSERT_EQ(Run("extract o.exe x"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "x" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    ASSERT_EQ(Run("list o.exe"), 0) << Err();
    EXPECT_NE(Out().find("fparts.txt      2012-02-07T08:44:58Z"), std::string::npos) << Out();
}

TEST_F(VqpackCli, RawEntriesAreStoredAsGiven) {
    MakeInputs();
    ASSERT_EQ(Build("first.exe"), 0) << Err();
    ASSERT_EQ(Run("extract first.exe x"), 0) << Err();
    ASSERT_EQ(Run("build --image image.exe --out second.exe --raw 11 gzip.exe gzipw.exe fparts.txt fpt.exe "
                  "fptw.exe fptw64.exe idrvdll.DLL idrvdll32e.DLL pmxdll.DLL pmxdll32e.DLL x/Bios.bin.gz"),
              0)
        << Err();
    EXPECT_EQ(Read(dir_ / "first.exe"), Read(dir_ / "second.exe"));
}

TEST_F(VqpackCli, VerifyNamesEachDamage) {
    MakeInputs();
    ASSERT_EQ(Build("good.exe"), 0) << Err();
    const Bytes good = Read(dir_ / "good.exe");

    Bytes crc = good;
    crc[crc.size() - 4 - 8] ^= 0x10;  // the flash member's stored CRC32, just before the trailer
    Write(dir_ / "crc.exe", crc);
    EXPECT_EQ(Run("verify crc.exe"), 1);
    EXPECT_NE(Err().find("entry 11 (Bios.bin.gz): CRC32 is"), std::string::npos) << Err();

    // Entry 3's data starts after the image, the header and two records with their data.
    const uint32_t entry3 = 3000 + 12 + 8 + 200 + 8 + 350 + 8;
    Bytes flag = good;
    ASSERT_EQ(flag[entry3], 0x1F);
    flag[entry3 + 3] = 0x18;  // FCOMMENT beside FNAME
    Write(dir_ / "flag.exe", flag);
    EXPECT_EQ(Run("verify flag.exe"), 1);
    EXPECT_NE(Err().find("entry 3 (fparts.txt.gz): header flags FLG are 0x18"), std::string::npos) << Err();

    MakeInputs(false);
    ASSERT_EQ(Build("nosig.exe"), 0) << Err();
    EXPECT_EQ(Run("verify nosig.exe"), 1);
    EXPECT_EQ(Err(), "nosig.exe: entry 11 (Bios.bin.gz): flash image lacks the descriptor signature 5A A5 F0 0F "
                     "at offset 16\n");

    // A linked program without a container: its section padding reads as trailer 0.
    Bytes plain = Pattern(3000, 0);
    std::fill(plain.end() - 4, plain.end(), 0);
    Write(dir_ / "plain.exe", plain);
    EXPECT_EQ(Run("verify plain.exe"), 1);
    EXPECT_EQ(Err(), "plain.exe: no \"PQV_\" container header where the trailer points\n");
}

TEST_F(VqpackCli, FailuresLeaveNoOutput) {
    MakeInputs();
    fs::remove(dir_ / "fpt.exe");
    EXPECT_EQ(Build("out.exe"), 1);
    EXPECT_NE(Err().find("fpt.exe"), std::string::npos) << Err();

    MakeInputs();
    ASSERT_EQ(Build("packed.exe"), 0);
    EXPECT_EQ(Run("build --image packed.exe --out out.exe gzip.exe"), 1);
    EXPECT_NE(Err().find("already carries a payload container"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    EXPECT_EQ(Leftovers(), "");

    // An existing output stays as it was when a build fails.
    Write(dir_ / "keep.exe", Bytes{1, 2, 3});
    EXPECT_EQ(Run("build --image image.exe --out keep.exe missing.bin"), 1);
    EXPECT_EQ(Read(dir_ / "keep.exe"), (Bytes{1, 2, 3}));

    // The rename over a directory fails: the directory stays and the temporary file goes.
    fs::create_directory(dir_ / "taken.exe");
    EXPECT_EQ(Run("build --image image.exe --out taken.exe gzip.exe"), 1);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.exe"));
    EXPECT_EQ(Leftovers(), "");

    // A folder no file can be made in: a message, and nothing written.
    EXPECT_EQ(Run("build --image image.exe --out no-such-dir/out.exe gzip.exe"), 1);
    EXPECT_NE(Err().find("no-such-dir/out.exe: cannot create a temporary file"), std::string::npos) << Err();

    EXPECT_EQ(Run("list image.exe"), 1);
    EXPECT_EQ(Run("extract image.exe x"), 1);
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    EXPECT_EQ(Run("verify nothing-here.exe"), 1);
}

// Another user's link planted under the name of an output's temporary file is not written through.
TEST_F(VqpackCli, APlantedLinkBesideTheOutputIsNotFollowed) {
    MakeInputs();
    const Bytes theirs{'t', 'h', 'e', 'i', 'r', 's'};
    Write(dir_ / "target", theirs);
    fs::create_directory(dir_ / "x");
    for (const fs::path& link : {dir_ / "out.exe.vqpack-tmp", dir_ / "x" / "GZip.exe.vqpack-tmp"})
        fs::create_symlink(dir_ / "target", link);
    ASSERT_EQ(Build("out.exe"), 0) << Err();
    ASSERT_EQ(Run("extract out.exe x"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "target"), theirs);
    EXPECT_EQ(Read(dir_ / "x" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "out.exe.vqpack-tmp"));
}

TEST_F(VqpackCli, UsageErrorsExitTwo) {
    MakeInputs();
    const char* const bad[] = {
        "",
        "frobnicate",
        "build --out o.exe gzip.exe",
        "build --image image.exe gzip.exe",
        "build --image image.exe --out o.exe --image image.exe",
        "build --image image.exe --out o.exe --raw 12 gzip.exe",
        "build --image image.exe --out o.exe --raw 2 gzip.exe",
        "build --image image.exe --out o.exe --mtime yesterday gzip.exe",
        "build --image image.exe --out o.exe gzip.exe:GZIP.EXE",
        "build --image image.exe --out o.exe gzip.exe gzipw.exe fparts.txt::2012-99-01T00:00:00",
        // MTIME 0 is gzip's "no time stored": every member must carry one.
        "build --image image.exe --out o.exe --mtime 0 gzip.exe gzipw.exe fparts.txt",
        "build --image image.exe --out o.exe gzip.exe gzipw.exe fparts.txt::1970-01-01T00:00:00Z",
        "build --image image.exe --out o.exe --bogus gzip.exe",
        "build --image image.exe --out o.exe --raw",
        "list",
        "list a b",
        "list x --yaml",
        "verify",
        "extract image.exe",
        "extract a b c",
    };
    for (const char* args : bad) {
        EXPECT_EQ(Run(args), 2) << "vqpack " << args;
        EXPECT_NE(Err().find("usage: vqpack"), std::string::npos) << "vqpack " << args;
    }
    EXPECT_EQ(Run("build --image image.exe --out o.exe" + AllEntries() + " gzip.exe"), 2) << "12 entries";
    EXPECT_FALSE(fs::exists(dir_ / "o.exe"));

    for (const char* help : {"--help", "build --help", "list --help", "verify --help", "extract --help"}) {
        EXPECT_EQ(Run(help), 0) << help;
        EXPECT_NE(Out().find("usage: vqpack"), std::string::npos) << help;
    }
}

}  // namespace
}  // namespace vq::test
