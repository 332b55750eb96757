// The layout of the built DOS programs: the MZ header fields the executable's DOS part must carry.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

uint16_t U16(const Bytes& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | uint32_t(U16(b, at + 2)) << 16; }

constexpr size_t kImageFileEnd = VQ_DOS_IMAGE_END;
constexpr size_t kHeaderBytes = 512;

TEST(MzHeader, VqdosHasTheFixedLayout) {
    const Bytes exe = ReadFile(VQ_DOS_PROGRAM);
    ASSERT_EQ(exe.size(), kImageFileEnd);
    EXPECT_EQ(U16(exe, 0x00), 0x5A4D);  // "MZ"
    EXPECT_EQ(U16(exe, 0x02), kImageFileEnd % 512);          // bytes in the last page
    EXPECT_EQ(U16(exe, 0x04), (kImageFileEnd + 511) / 512);  // pages
    EXPECT_EQ(U16(exe, 0x06), 1);       // relocations
    EXPECT_EQ(U16(exe, 0x08), 32);      // header paragraphs
    EXPECT_EQ(U16(exe, 0x14), 0);       // IP
    EXPECT_EQ(U16(exe, 0x16), 0);       // CS
    EXPECT_EQ(U32(exe, 0x3C), uint32_t(VQ_PE_HEADER_OFFSET));  // where the Windows headers stand
}

// Every DOS program built here: the relocation loads the data group, where the stack lives too.
TEST(MzHeader, TheOneRelocationLoadsTheDataGroup) {
    for (const char* path : {VQ_DOS_PROGRAM, VQ_DOS_DOUBLES "/GZIP.EXE", VQ_DOS_DOUBLES "/FLASH.EXE",
                             VQ_DOS_DOUBLES "/SCRDUMP.EXE"}) {
        SCOPED_TRACE(path);
        const Bytes exe = ReadFile(path);
        ASSERT_EQ(exe.size(), kImageFileEnd);
        const uint16_t relocTable = U16(exe, 0x18);
        ASSERT_EQ(U16(exe, relocTable + 2), 0);  // in the code segment
        const size_t site = kHeaderBytes + U16(exe, relocTable);
        EXPECT_EQ(exe.at(site - 1), 0xB8);  // movw $imm16, %ax
        const uint16_t dgroup = U16(exe, site);
        EXPECT_EQ(U16(exe, 0x0E), dgroup);  // SS
        const uint16_t sp = U16(exe, 0x10);
        EXPECT_LE(sp, 0xFFF0);
        // Data group and stack fit the load image plus the extra paragraphs the header asks for.
        EXPECT_LE(dgroup * 16u + sp, kImageFileEnd - kHeaderBytes + U16(exe, 0x0A) * 16u);
    }
}

}  // namespace
