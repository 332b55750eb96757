// The DOS gzip double's inflater, checked against zlib: what zlib packs it must unpack, and every
// kind of damage must be refused rather than turned into a file.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <vector>

#include "testing/dos/Inflate.h"

namespace vq::test {

using namespace vq::testing;
namespace {

using Bytes = std::vector<uint8_t>;

struct VecIn {
    const Bytes& b;
    size_t pos = 0;
    int NextByte() { return pos < b.size() ? b[pos++] : -1; }
};

struct VecOut {
    Bytes b;
    size_t limit = SIZE_MAX;
    bool Put(uint8_t v) {
        if (b.size() == limit) return false;
        b.push_back(v);
        return true;
    }
    uint8_t Back(uint32_t dist) { return b[b.size() - dist]; }
};

// windowBits 31: a gzip member; -15: raw deflate.
Bytes Deflate(const Bytes& in, int level, int strategy, int windowBits = 31) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 9, strategy), Z_OK);
    Bytes out(deflateBound(&z, uLong(in.size())) + 64);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

InflateStatus Gunzip(const Bytes& gz, Bytes& out) {
    VecIn in{gz};
    VecOut sink;
    const InflateStatus s = GunzipMember(in, sink);
    out = sink.b;
    return s;
}

Bytes Mixed(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t block = i / 5000;
        b[i] = block % 3 == 0 ? uint8_t(rng()) : block % 3 == 1 ? uint8_t(0xFF) : uint8_t(i * 7 / 3);
    }
    return b;
}

TEST(Inflate, UnpacksWhatZlibPacksWithEveryBlockKind) {
    const Bytes data = Mixed(200000, 1);
    for (int level : {0, 1, 6, 9}) {
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE}) {
            Bytes out;
            ASSERT_EQ(Gunzip(Deflate(data, level, strategy), out), InflateStatus::Ok) << level << "/" << strategy;
            EXPECT_EQ(out, data) << level << "/" << strategy;
        }
    }
}

TEST(Inflate, HandlesEmptyAndFarReachingInput) {
    Bytes out;
    ASSERT_EQ(Gunzip(Deflate({}, 9, Z_DEFAULT_STRATEGY), out), InflateStatus::Ok);
    EXPECT_TRUE(out.empty());
    // A random block repeated at a distance near the 32 KiB window's edge.
    Bytes far = Mixed(32760, 7);
    const Bytes head = far;
    far.insert(far.end(), head.begin(), head.end());
    ASSERT_EQ(Gunzip(Deflate(far, 9, Z_DEFAULT_STRATEGY), out), InflateStatus::Ok);
    EXPECT_EQ(out, far);
}

TEST(GzipMember, SkipsEveryOptionalHeaderField) {
    const Bytes data = Mixed(10000, 3);
    const Bytes raw = Deflate(data, 9, Z_DEFAULT_STRATEGY, -15);
    const uint32_t crc = uint32_t(crc32(0, data.data(), uInt(data.size())));
    const Bytes header = {0x1F, 0x8B, 8, 0x02 | 0x04 | 0x08 | 0x10, 1, 2, 3, 4, 2, 11,
                3,    0,    'x', 'y', 'z',  // FEXTRA
                'B',  'I',  'O', 'S', 0,    // FNAME
                'h',  'i',  0,              // FCOMMENT
                0xAA, 0xBB};                // FHCRC
    Bytes gz(header.size() + raw.size());
    std::copy(header.begin(), header.end(), gz.begin());
    std::copy(raw.begin(), raw.end(), gz.begin() + long(header.size()));
    for (int i = 0; i < 4; ++i) gz.push_back(uint8_t(crc >> (8 * i)));
    for (int i = 0; i < 4; ++i) gz.push_back(uint8_t(data.size() >> (8 * i)));
    Bytes out;
    ASSERT_EQ(Gunzip(gz, out), InflateStatus::Ok);
    EXPECT_EQ(out, data);
}

TEST(GzipMember, RefusesAWrongChecksumSizeOrHeader) {
    const Bytes good = Deflate(Mixed(50000, 5), 9, Z_DEFAULT_STRATEGY);
    Bytes out;
    Bytes bad = good;
    bad[bad.size() - 8] ^= 1;  // CRC-32
    EXPECT_EQ(Gunzip(bad, out), InflateStatus::BadTrailer);
    bad = good;
    bad[bad.size() - 4] ^= 1;  // ISIZE
    EXPECT_EQ(Gunzip(bad, out), InflateStatus::BadTrailer);
    for (size_t at : {0, 1, 2}) {
        bad = good;
        bad[at] ^= 0x40;
        EXPECT_EQ(Gunzip(bad, out), InflateStatus::BadHeader) << at;
    }
    bad = good;
    bad[3] |= 0x20;  // a reserved flag
    EXPECT_EQ(Gunzip(bad, out), InflateStatus::BadHeader);
    bad = good;
    bad.push_back(0);
    EXPECT_EQ(Gunzip(bad, out), InflateStatus::TrailingData);
}

TEST(GzipMember, RefusesEveryTruncation) {
    const Bytes good = Deflate(Mixed(30000, 9), 9, Z_DEFAULT_STRATEGY);
    for (size_t n = 0; n < good.size(); n += (n < 40 || good.size() - n < 40) ? 1 : 97) {
        Bytes cut(good.begin(), good.begin() + long(n));
        Bytes out;
        EXPECT_NE(Gunzip(cut, out), InflateStatus::Ok) << n;
    }
}

TEST(GzipMember, RefusesDamagedDeflateData) {
    const Bytes good = Deflate(Mixed(60000, 11), 9, Z_DEFAULT_STRATEGY);
    int refused = 0, tried = 0;
    for (size_t at = 10; at + 8 < good.size(); at += 53, ++tried) {
        Bytes bad = good;
        bad[at] ^= 0x5A;
        Bytes out;
        refused += Gunzip(bad, out) != InflateStatus::Ok;
    }
    EXPECT_EQ(refused, tried);  // the CRC catches whatever the codes let through
}

TEST(Inflate, NamesEachKindOfBrokenStream) {
    auto inflateRaw = [](const Bytes& raw) {
        VecIn in{raw};
        VecOut out;
        Inflater<VecIn, VecOut> inf(in, out);
        return inf.Run();
    };
    EXPECT_EQ(inflateRaw({0x07}), InflateStatus::BadBlockType);                       // last, type 3
    EXPECT_EQ(inflateRaw({0x01, 0x05, 0x00, 0xFA, 0xFE}), InflateStatus::BadStoredLength);
    EXPECT_EQ(inflateRaw({0x01, 0x01, 0x00, 0xFE, 0xFF, 'A'}), InflateStatus::Ok);
    // Fixed block whose first code is a match of length 3 at distance 1: nothing to copy yet.
    EXPECT_EQ(inflateRaw({0x03, 0x02, 0x00}), InflateStatus::BadDistance);
    EXPECT_EQ(inflateRaw({}), InflateStatus::Truncated);
}

TEST(Inflate, StopsWhenTheOutputRefuses) {
    const Bytes gz = Deflate(Mixed(5000, 2), 9, Z_DEFAULT_STRATEGY);
    VecIn in{gz};
    VecOut sink;
    sink.limit = 100;
    EXPECT_EQ(GunzipMember(in, sink), InflateStatus::OutputFailed);
}

}  // namespace
}  // namespace vq::test
