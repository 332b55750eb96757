// gzip members as the payload carries them: made by vqpack, read back by zlib, judged by verify.
#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/host/payload/ContainerSamples.h"
#include "tools/vqpack/GzipMember.h"

namespace vq::test {
namespace {

Bytes Member(const Bytes& data, const std::string& name = "fpt.exe", uint32_t mtime = 1328606196) {
    Bytes out;
    std::string err;
    EXPECT_TRUE(MakeGzipMember(data.data(), data.size(), name, mtime, out, err)) << err;
    return out;
}

std::vector<std::string> Check(const Bytes& m) {
    GzipContents c;
    return CheckGzipMember(m.data(), m.size(), c);
}

// zlib's own gzip reader is the independent judge of what vqpack writes.
Bytes Gunzip(const Bytes& m) {
    z_stream zs{};
    EXPECT_EQ(inflateInit2(&zs, 31), Z_OK);
    Bytes out(1 << 20);
    zs.next_in = const_cast<Bytef*>(m.data());
    zs.avail_in = static_cast<uInt>(m.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return out;
}

TEST(GzipMember, HeaderCarriesThePayloadsFields) {
    const Bytes m = Member(Pattern(1000, 7), "BIOS.bin", 1337684741);
    const uint8_t fixed[] = {0x1F, 0x8B, 8, 0x08, 0x05, 0x73, 0xBB, 0x4F, 2, 11};
    ASSERT_GT(m.size(), sizeof fixed);
    EXPECT_TRUE(std::equal(fixed, fixed + sizeof fixed, m.begin()));
    GzipHeader h;
    ASSERT_TRUE(ParseGzipHeader(m.data(), m.size(), h));
    EXPECT_EQ(h.Name, "BIOS.bin");
    EXPECT_EQ(h.Size, 10u + 9u);
    EXPECT_EQ(Gunzip(m), Pattern(1000, 7));
}

TEST(GzipMember, SameInputsSameBytes) {
    EXPECT_EQ(Member(Pattern(5000, 1)), Member(Pattern(5000, 1)));
    EXPECT_NE(Member(Pattern(5000, 1), "a"), Member(Pattern(5000, 1), "b"));
    EXPECT_NE(Member(Pattern(5000, 1), "a", 1), Member(Pattern(5000, 1), "a", 2));
}

TEST(GzipMember, SoundMemberPassesWithItsContents) {
    const Bytes data = Pattern(70000, 2);  // more than one inflate chunk
    const Bytes m = Member(data);
    GzipContents c;
    EXPECT_TRUE(CheckGzipMember(m.data(), m.size(), c).empty());
    EXPECT_EQ(c.Size, data.size());
    EXPECT_EQ(c.Crc32, crc32(0, data.data(), static_cast<uInt>(data.size())));
    EXPECT_EQ(c.MemberSize, m.size());
    ASSERT_EQ(c.PrefixSize, kGzipPrefixSize);
    EXPECT_TRUE(std::equal(c.Prefix, c.Prefix + kGzipPrefixSize, data.begin()));
    EXPECT_TRUE(Check(Member(Bytes{})).empty());
}

TEST(GzipMember, HeaderFieldsOtherThanThePayloadsAreProblems) {
    const Bytes good = Member(Pattern(300, 3));
    auto with = [&](size_t pos, uint8_t v) {
        Bytes b = good;
        b[pos] = v;
        return Check(b);
    };
    EXPECT_EQ(with(3, 0x09).size(), 1u) << "FTEXT set beside FNAME";
    EXPECT_EQ(with(8, 0).size(), 1u) << "XFL 0";
    EXPECT_EQ(with(9, 3).size(), 1u) << "OS Unix";
    Bytes noTime = good;
    std::fill(noTime.begin() + 4, noTime.begin() + 8, 0);
    EXPECT_EQ(Check(noTime).size(), 1u) << "MTIME 0";
    // CM other than deflate cannot be inflated at all.
    EXPECT_FALSE(with(2, 7).empty());
    Bytes notGzip = good;
    notGzip[1] = 0x8C;
    EXPECT_EQ(Check(notGzip), std::vector<std::string>{"not a gzip member (no 1f 8b magic)"});
}

TEST(GzipMember, DamageAfterTheHeaderIsFound) {
    const Bytes good = Member(Pattern(3000, 4));
    Bytes crc = good;
    crc[good.size() - 8] ^= 1;
    EXPECT_EQ(Check(crc).size(), 1u);
    Bytes isize = good;
    isize[good.size() - 1] ^= 0x80;
    EXPECT_EQ(Check(isize).size(), 1u);
    Bytes trailing = good;
    trailing.push_back(0);
    EXPECT_EQ(Check(trailing), std::vector<std::string>{"1 bytes follow the gzip member"});
    for (size_t cut : {size_t(5), size_t(12), good.size() / 2, good.size() - 3}) {
        Bytes b(good.begin(), good.begin() + cut);
        EXPECT_FALSE(Check(b).empty()) << "cut at " << cut;
    }
    Bytes corrupt = good;
    corrupt[20] ^= 0xFF;
    corrupt[21] ^= 0xFF;
    EXPECT_FALSE(Check(corrupt).empty());
}

TEST(GzipMember, OptionalFieldsAreSkipped) {
    // FEXTRA (2 bytes), FNAME, FCOMMENT, FHCRC: the header ends after all four.
    const Bytes h = {0x1F, 0x8B, 8, 0x1E, 0, 0, 0, 0, 0, 3, 2, 0, 'x', 'y', 'n', 0, 'c', 0, 0xAA, 0xBB};
    GzipHeader out;
    ASSERT_TRUE(ParseGzipHeader(h.data(), h.size(), out));
    EXPECT_EQ(out.Size, h.size());
    EXPECT_EQ(out.Name, "n");
    for (size_t n = 0; n < h.size(); ++n)
        EXPECT_FALSE(ParseGzipHeader(h.data(), n, out)) << "header cut to " << n << " bytes";
}

}  // namespace
}  // namespace vq::test
