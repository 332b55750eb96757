// vqpack's verdict on whole containers: sound payloads pass, each broken rule is one named line.
#include <gtest/gtest.h>

#include "payload/PayloadEntries.h"
#include "tests/host/payload/ContainerSamples.h"
#include "tools/vqpack/GzipMember.h"
#include "tools/vqpack/Verify.h"

namespace vq::test {
namespace {

constexpr size_t kFlashSize = 4194304;

Bytes FlashImageBytes(size_t size = kFlashSize, bool signature = true) {
    Bytes b(size, 0xFF);
    if (signature && size >= 20) {
        const uint8_t sig[] = {0x5A, 0xA5, 0xF0, 0x0F};
        std::copy(sig, sig + 4, b.begin() + 16);
    }
    return b;
}

Bytes Gz(const Bytes& data, const std::string& name) {
    Bytes out;
    std::string err;
    EXPECT_TRUE(MakeGzipMember(data.data(), data.size(), name, 1328604298, out, err)) << err;
    return out;
}

// Entries 1 .. count-1 shaped like the shipped payload: two plain programs, then gzip members,
// the last of the twelve holding the flash image.
std::vector<Bytes> Entries(uint32_t count, const Bytes& flash = FlashImageBytes()) {
    std::vector<Bytes> e;
    for (uint32_t i = 1; i < count; ++i) {
        if (i <= 2)
            e.push_back(Pattern(100 + i, uint8_t(i)));
        else if (i == 11)
            e.push_back(Gz(flash, "BIOS.bin"));
        else
            e.push_back(Gz(Pattern(500 * i, uint8_t(i)), "file" + std::to_string(i)));
    }
    return e;
}

Bytes Payload(uint32_t count = kPayloadEntryCount, const Bytes& flash = FlashImageBytes()) {
    return MakeContainer(Pattern(300, 0), Entries(count, flash));
}

// Where entry i's record starts in a container made by the writer.
uint32_t RecordAt(const Bytes& file, uint32_t i) {
    uint32_t pos = ReadLE32(file.data() + file.size() - 4) + kHeaderSize;
    for (uint32_t k = 1; k < i; ++k) pos += kRecordSize + ReadLE32(file.data() + pos + 4);
    return pos;
}

using Lines = std::vector<std::string>;

// The DOS face needs all twelve entries and the Windows face has names for no more: any other
// count is a package the program refuses, however sound its layout.
TEST(Verify, OnlyThePayloadsTwelveEntriesPass) {
    EXPECT_EQ(VerifyContainer(Payload()), Lines{});
    for (uint32_t count : {1u, 5u, 11u}) {
        const Lines lines = VerifyContainer(Payload(count));
        ASSERT_EQ(lines.size(), 1u) << count;
        EXPECT_EQ(lines[0], "EntryCount is " + std::to_string(count) +
                                ", but the program takes exactly 12 entries (the image, GZip.exe .. Bios.bin.gz)");
    }
}

TEST(Verify, EveryLayoutRuleIsChecked) {
    const Bytes good = Payload();
    Bytes total = good;
    Put32(total, 300 + 4, uint32_t(good.size() + 1));
    EXPECT_EQ(VerifyContainer(total).size(), 1u) << "TotalSize";

    Bytes offset = good;
    Put32(offset, RecordAt(good, 2), 0);
    const Lines o = VerifyContainer(offset);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(o[0].rfind("entry 2 (GZipW.exe): Offset is 0", 0), 0u) << o[0];

    Bytes gap = good;
    gap.insert(gap.end() - 4, {0, 0});
    Put32(gap, 300 + 4, uint32_t(gap.size()));
    EXPECT_EQ(VerifyContainer(gap),
              Lines{"2 bytes stand between the last entry's data and the trailer"});

    Bytes zero = MakeContainer(Pattern(10, 0), {});
    Put32(zero, 10 + 8, 0);
    EXPECT_EQ(VerifyContainer(zero).size(), 1u) << "EntryCount 0";

    std::vector<Bytes> thirteen = Entries(kPayloadEntryCount);
    thirteen.push_back(Bytes{1});
    EXPECT_EQ(VerifyContainer(MakeContainer(Pattern(300, 0), thirteen)).size(), 1u) << "13 entries";
}

TEST(Verify, ContainersNoReaderTakesSayWhy) {
    std::vector<BrokenContainer> all = BrokenContainers();
    for (BrokenContainer& c : BrokenSignedContainers()) all.push_back(c);
    for (const BrokenContainer& c : all) {
        const Lines lines = VerifyContainer(c.File);
        const std::string reason = ContainerErrorText(c.Expected);
        const bool named = std::any_of(lines.begin(), lines.end(),
                                       [&](const std::string& l) { return l.find(reason) != std::string::npos; });
        EXPECT_TRUE(named) << c.Name;
    }
    // A sound signed layout, but two entries and a certificate table that holds no signature.
    for (uint32_t padding : {0u, 7u}) {
        const Lines signedLines = VerifyContainer(Sign(UnsignedPe(padding, true), true));
        ASSERT_EQ(signedLines.size(), 2u) << padding;
        EXPECT_EQ(signedLines[0].rfind("its signature cannot be read:", 0), 0u) << padding << ": " << signedLines[0];
        EXPECT_EQ(signedLines[1].rfind("EntryCount is 2,", 0), 0u) << padding << ": " << signedLines[1];
    }
    const Lines bad = VerifyContainer(PatchSmall(kSmallRecord3 + 4, 8));
    ASSERT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[1].rfind("entry 3 (fparts.txt.gz): ", 0), 0u) << bad[1];
}

TEST(Verify, GzipProblemsNameTheEntry) {
    const Bytes good = Payload();
    const uint32_t rec = RecordAt(good, 5);
    const uint32_t data = rec + kRecordSize, len = ReadLE32(good.data() + rec + 4);

    Bytes crc = good;
    crc[data + len - 8] ^= 0x01;
    const Lines c = VerifyContainer(crc);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].rfind("entry 5 (fptw.exe.gz): CRC32 is", 0), 0u) << c[0];

    Bytes flag = good;
    flag[data + 3] = 0x0C;  // FEXTRA beside FNAME: header now misread, several findings
    EXPECT_FALSE(VerifyContainer(flag).empty());
    Bytes flagText = good;
    flagText[data + 3] = 0x09;
    EXPECT_EQ(VerifyContainer(flagText),
              Lines{"entry 5 (fptw.exe.gz): header flags FLG are 0x09, not 0x08 (FNAME only)"});

    // Plain entries are never looked into.
    Bytes plain = good;
    plain[RecordAt(good, 1) + kRecordSize] ^= 0xFF;
    EXPECT_EQ(VerifyContainer(plain), Lines{});
}

TEST(Verify, FullPayloadCarriesTheFlashImage) {
    const Lines noSig = VerifyContainer(Payload(kPayloadEntryCount, FlashImageBytes(kFlashSize, false)));
    EXPECT_EQ(noSig, Lines{"entry 11 (Bios.bin.gz): flash image lacks the descriptor signature "
                           "5A A5 F0 0F at offset 16"});
    const Lines small = VerifyContainer(Payload(kPayloadEntryCount, FlashImageBytes(kFlashSize - 1)));
    EXPECT_EQ(small, Lines{"entry 11 (Bios.bin.gz): flash image unpacks to 4194303 bytes, not 4194304"});
    EXPECT_EQ(VerifyContainer(Payload(kPayloadEntryCount, FlashImageBytes(10, false))).size(), 2u);
}

}  // namespace
}  // namespace vq::test
