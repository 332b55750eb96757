// The container readers every face shares: what they accept and everything they refuse.
#include <gtest/gtest.h>

#include <map>

#include "payload/PayloadFormat.h"
#include "payload/PayloadEntries.h"
#include "tests/host/payload/ContainerSamples.h"

namespace vq {
// Found by argument-dependent lookup when the tests compare tables.
bool operator==(const TPayloadEntry& a, const TPayloadEntry& b) {
    return a.Offset == b.Offset && a.Length == b.Length;
}
}  // namespace vq

namespace vq::test {
namespace {

struct Parsed {
    ContainerError Error = ContainerError::None;
    TContainerInfo Info{};
    std::vector<TPayloadEntry> Extents;
};

template <class Source>
Parsed Parse(Source& src, uint32_t size) {
    Parsed p;
    p.Error = ReadContainerHeader(src, size, p.Info);
    if (p.Error != ContainerError::None) return p;
    std::vector<TPayloadEntry> table(p.Info.Header.EntryCount);
    if (!table.empty()) p.Error = ReadContainerRecords(src, p.Info, table.data());
    if (p.Error != ContainerError::None) return p;
    for (uint32_t i = 0; i < table.size(); ++i) p.Extents.push_back(EntryExtent(p.Info, table.data(), i));
    return p;
}

Parsed Parse(const Bytes& file) {
    MemorySource src(file.data(), file.size());
    return Parse(src, static_cast<uint32_t>(file.size()));
}

TEST(PayloadFormat, RecordsAreTwelveAndEightBytesLittleEndian) {
    uint8_t b[kHeaderSize] = {0x50, 0x51, 0x56, 0x5F, 0x01, 0x02, 0x03, 0x04, 0x0C, 0, 0, 0};
    const TPayloadHeader h = DecodeHeader(b);
    EXPECT_EQ(h.Magic, kPayloadMagic);
    EXPECT_EQ(h.TotalSize, 0x04030201u);
    EXPECT_EQ(h.EntryCount, 12u);
    uint8_t w[4];
    WriteLE32(w, 0x5F565150u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(w), 4), "PQV_");
}

TEST(PayloadFormat, SmallContainerReadsBackItsExtents) {
    const Bytes file = SmallContainer();
    ASSERT_EQ(file.size(), kSmallSize);
    const Parsed p = Parse(file);
    ASSERT_EQ(p.Error, ContainerError::None);
    EXPECT_EQ(p.Info.ImageSize, kSmallImage);
    EXPECT_EQ(p.Info.Header.TotalSize, kSmallSize);
    const std::vector<TPayloadEntry> want = {
        {0, kSmallImage}, {kSmallRecord1 + 8, 5}, {kSmallRecord2 + 8, 0}, {kSmallRecord3 + 8, 7}};
    EXPECT_EQ(p.Extents, want);
}

TEST(PayloadFormat, ReleaseShapedContainerHasTheKnownOffsets) {
    // The lengths of the shipped payload: the offsets follow from them alone.
    const uint32_t lengths[] = {39910, 84992, 1363, 253426, 175933, 179528, 26018, 30232, 36498, 41262, 2929974};
    const uint32_t offsets[] = {706068, 745986, 830986, 832357, 1085791, 1261732, 1441268, 1467294,
                                1497534, 1534040, 1575310};
    std::vector<Bytes> entries;
    for (uint32_t len : lengths) entries.push_back(Bytes(len, 0xAB));
    const Bytes file = MakeContainer(Bytes(706048, 0x4D), entries);
    ASSERT_EQ(file.size(), 4505288u);
    const Parsed p = Parse(file);
    ASSERT_EQ(p.Error, ContainerError::None);
    ASSERT_EQ(p.Extents.size(), kPayloadEntryCount);
    EXPECT_EQ(p.Extents[0].Length, 706048u);
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i) {
        EXPECT_EQ(p.Extents[i].Offset, offsets[i - 1]) << "entry " << i;
        EXPECT_EQ(p.Extents[i].Length, lengths[i - 1]) << "entry " << i;
    }
}

TEST(PayloadFormat, EntryCountZeroAndOneHoldNoRecords) {
    Bytes one = MakeContainer(Pattern(10, 0), {});
    Parsed p = Parse(one);
    ASSERT_EQ(p.Error, ContainerError::None);
    ASSERT_EQ(p.Extents.size(), 1u);
    EXPECT_EQ(p.Extents[0].Length, 10u);

    Put32(one, 10 + 8, 0);
    p = Parse(one);
    ASSERT_EQ(p.Error, ContainerError::None);
    EXPECT_TRUE(p.Extents.empty());
}

// What an unsigned file's readers never look at: TotalSize (a signed file's readers do), bytes
// before the trailer, where Offset points.
TEST(PayloadFormat, AcceptsWhatOnlyTheWriterPromises) {
    const Parsed base = Parse(SmallContainer());
    for (uint32_t total : {0u, 1u, 0xFFFFFFFFu}) {
        const Parsed p = Parse(PatchSmall(kSmallImage + 4, total));
        ASSERT_EQ(p.Error, ContainerError::None) << total;
        EXPECT_EQ(p.Extents, base.Extents);
    }
    // Offset is where the data is taken from, even inside the image.
    const Parsed intoImage = Parse(PatchSmall(kSmallRecord1, 0));
    ASSERT_EQ(intoImage.Error, ContainerError::None);
    EXPECT_EQ(intoImage.Extents[1], (TPayloadEntry{0, 5}));
    // Data may end exactly at the trailer.
    const Parsed atEnd = Parse(PatchSmall(kSmallRecord1, kSmallTrailer - 5));
    ASSERT_EQ(atEnd.Error, ContainerError::None);
    EXPECT_EQ(atEnd.Extents[1], (TPayloadEntry{kSmallTrailer - 5, 5}));
    // Bytes between the last data and the trailer.
    Bytes gap = SmallContainer();
    gap.insert(gap.begin() + kSmallTrailer, {1, 2, 3});
    EXPECT_EQ(Parse(gap).Extents, base.Extents);
}

// Signing appends padding and a table; every reader finds the same container as before.
TEST(PayloadFormat, SignedFileReadsAsItsUnsignedPart) {
    for (bool pe32plus : {false, true}) {
        for (uint32_t padding = 0; padding < kCertTableAlign; ++padding) {
            const Bytes u = UnsignedPe(padding, pe32plus);
            const Bytes s = Sign(u, pe32plus);
            ASSERT_EQ(s.size(), u.size() + padding + kSignedTableSize);
            const Parsed pu = Parse(u), ps = Parse(s);
            ASSERT_EQ(pu.Error, ContainerError::None);
            ASSERT_EQ(ps.Error, ContainerError::None) << padding << ": " << ContainerErrorText(ps.Error);
            EXPECT_EQ(ps.Extents, pu.Extents);
            EXPECT_EQ(ps.Info.ContainerEnd, u.size());
            EXPECT_EQ(pu.Info.Cert.Size, 0u);
            EXPECT_EQ(ps.Info.Cert.Offset, u.size() + padding);
            EXPECT_EQ(ps.Info.Cert.Size, kSignedTableSize);
        }
    }
}

TEST(PayloadFormat, RefusesEveryBrokenContainer) {
    std::vector<BrokenContainer> all = BrokenContainers();
    for (BrokenContainer& c : BrokenSignedContainers()) all.push_back(c);
    for (const BrokenContainer& c : all) {
        const Parsed p = Parse(c.File);
        EXPECT_EQ(p.Error, c.Expected) << c.Name << ": got " << ContainerErrorText(p.Error);
    }
}

// Reads stop at the first failure: the readers must not go on with what they did not get.
class FailingSource {
public:
    FailingSource(const Bytes& file, int failAt) : file_(file), failAt_(failAt) {}
    bool Read(uint32_t pos, void* dst, uint32_t len) {
        if (reads_++ == failAt_) return false;
        return MemorySource(file_.data(), file_.size()).Read(pos, dst, len);
    }
    int Reads() const { return reads_; }

private:
    const Bytes& file_;
    int failAt_;
    int reads_ = 0;
};

TEST(PayloadFormat, AFailedReadIsAnError) {
    const Bytes file = SmallContainer();
    // The look for PE headers (read 0, which finds none), then trailer, header and three
    // records: five reads.
    for (int failAt = 1; failAt < 6; ++failAt) {
        FailingSource src(file, failAt);
        EXPECT_EQ(Parse(src, kSmallSize).Error, ContainerError::ReadFailed) << "read " << failAt;
        EXPECT_EQ(src.Reads(), failAt + 1);
    }
}

// A file at the size limit, held sparsely: everything not set reads as zero.
class SparseSource {
public:
    void Set32(uint32_t pos, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[pos + i] = uint8_t(v >> (8 * i));
    }
    bool Read(uint32_t pos, void* dst, uint32_t len) {
        auto* d = static_cast<uint8_t*>(dst);
        for (uint32_t i = 0; i < len; ++i) {
            auto it = bytes_.find(pos + i);
            d[i] = it == bytes_.end() ? 0 : it->second;
        }
        return true;
    }

private:
    std::map<uint32_t, uint8_t> bytes_;
};

TEST(PayloadFormat, SizeLimitIsTwoGibMinusOne) {
    const uint32_t size = kMaxFileSize;
    const uint32_t c = size - kTrailerSize - kHeaderSize - kRecordSize - 3;
    SparseSource src;
    src.Set32(size - 4, c);
    src.Set32(c, kPayloadMagic);
    src.Set32(c + 8, 2);
    src.Set32(c + 12, c + 20);
    src.Set32(c + 16, 3);
    const Parsed p = Parse(src, size);
    ASSERT_EQ(p.Error, ContainerError::None);
    EXPECT_EQ(p.Extents[1], (TPayloadEntry{c + 20, 3}));
    EXPECT_EQ(Parse(src, size + 1).Error, ContainerError::TooLarge);
    EXPECT_EQ(Parse(src, 0xFFFFFFFFu).Error, ContainerError::TooLarge);
}

TEST(PayloadNames, TwelveNamesWithTheImageFirst) {
    ASSERT_EQ(kPayloadEntryCount, 12u);
    EXPECT_STREQ(kPayloadFileNames[0], "Vorquint.exe");
    EXPECT_STREQ(kPayloadFileNames[2], "GZipW.exe");
    EXPECT_STREQ(kPayloadFileNames[11], "Bios.bin.gz");
}

}  // namespace
}  // namespace vq::test
