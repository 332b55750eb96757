// The gzip double really checks each member: a damaged one must fail the run, never pass as unpacked.
#include <zlib.h>

#include <gtest/gtest.h>

#include "testing/win/tests/DoubleRunner.h"

namespace vq::testing {
namespace {

constexpr const char* kArgs = " -df *.gz";

std::vector<uint8_t> Gzip(const std::vector<uint8_t>& plain) {
    z_stream zs{};
    EXPECT_EQ(deflateInit2(&zs, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<uint8_t> out(deflateBound(&zs, uLong(plain.size())) + 32);
    zs.next_in = const_cast<Bytef*>(plain.data());
    zs.avail_in = uInt(plain.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::vector<uint8_t> Sample(size_t size, uint8_t seed) {
    std::vector<uint8_t> data(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = uint8_t(x >> 16);
    }
    return data;
}

class GzipDouble : public ::testing::Test {
protected:
    ScratchDir dir{"gz"};
    std::string tool = BinDir() + "\\gzipw.exe";
    DWORD Run(const char* args = kArgs) { return RunTool(tool, args, dir.Path()); }
};

TEST_F(GzipDouble, UnpacksEveryMemberUnderItsNameWithoutGzAndDeletesTheMembers) {
    const auto big = Sample(300000, 1);
    const auto small = Sample(10, 2);
    WriteBytes(dir / "Bios.bin.gz", Gzip(big));
    WriteBytes(dir / "fptw64.EXE.GZ", Gzip(small));
    WriteBytes(dir / "empty.txt.gz", Gzip({}));
    WriteBytes(dir / "GZipW.exe", {1, 2, 3});

    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(ReadBytes(dir / "Bios.bin"), big);
    EXPECT_EQ(ReadBytes(dir / "fptw64.EXE"), small);
    EXPECT_TRUE(ReadBytes(dir / "empty.txt").empty());
    EXPECT_FALSE(FileExists(dir / "Bios.bin.gz"));
    EXPECT_FALSE(FileExists(dir / "fptw64.EXE.GZ"));
    EXPECT_EQ(ReadBytes(dir / "GZipW.exe"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(GzipDouble, ReplacesAnOutputLeftFromAnEarlierRun) {
    const auto data = Sample(5000, 3);
    WriteBytes(dir / "Bios.bin", Sample(9000, 4));
    WriteBytes(dir / "Bios.bin.gz", Gzip(data));
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(ReadBytes(dir / "Bios.bin"), data);
}

// Each damage must be refused on its own; the good member beside it is still unpacked.
TEST_F(GzipDouble, RefusesDamagedMembersAndKeepsThem) {
    const auto good = Sample(20000, 5);
    const auto packed = Gzip(Sample(20000, 6));
    struct Damage {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Damage> damages;
    auto flip = [&](const char* what, size_t at) {
        auto b = packed;
        b[at] ^= 0x01;
        damages.push_back({what, b});
    };
    flip("crc32", packed.size() - 8);
    flip("isize", packed.size() - 1);
    flip("magic", 0);
    flip("deflate data", packed.size() / 2);
    damages.push_back({"truncated", {packed.begin(), packed.end() - 5}});
    auto trailing = packed;
    trailing.push_back(0);
    damages.push_back({"trailing byte", trailing});
    damages.push_back({"empty", {}});

    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        WriteBytes(dir / "bad.bin.gz", d.bytes);
        WriteBytes(dir / "good.bin.gz", Gzip(good));
        EXPECT_NE(Run(), 0u);
        EXPECT_FALSE(FileExists(dir / "bad.bin"));
        EXPECT_TRUE(FileExists(dir / "bad.bin.gz"));
        EXPECT_EQ(ReadBytes(dir / "good.bin"), good);
        DeleteFileA((dir / "good.bin").c_str());
    }
}

TEST_F(GzipDouble, FailsWhenNothingMatches) {
    WriteBytes(dir / "Bios.bin", Sample(10, 7));
    EXPECT_NE(Run(), 0u);
}

TEST_F(GzipDouble, FailsWhenTheOutputCannotBeWritten) {
    WriteBytes(dir / "Bios.bin.gz", Gzip(Sample(100, 8)));
    ASSERT_TRUE(CreateDirectoryA((dir / "Bios.bin").c_str(), nullptr));
    EXPECT_NE(Run(), 0u);
    EXPECT_TRUE(FileExists(dir / "Bios.bin.gz"));
}

TEST_F(GzipDouble, AcceptsOnlyTheUpgradesArguments) {
    WriteBytes(dir / "Bios.bin.gz", Gzip(Sample(100, 9)));
    for (const char* args : {" -d *.gz", " -df *.GZ", "gzipw.exe -df *.gz", " -df  *.gz", ""}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Run(args), 2u);
        EXPECT_TRUE(FileExists(dir / "Bios.bin.gz"));
    }
}

TEST_F(GzipDouble, TestSettingForcesAnExitCodeWithoutTouchingAnything) {
    WriteBytes(dir / "Bios.bin.gz", Gzip(Sample(100, 10)));
    ScopedEnv forced("VQ_TEST_GZIP_EXIT", "7");
    EXPECT_EQ(Run(), 7u);
    EXPECT_TRUE(FileExists(dir / "Bios.bin.gz"));
    EXPECT_FALSE(FileExists(dir / "Bios.bin"));
}

}  // namespace
}  // namespace vq::testing
