// vqpack stub: the DOS program in front, the PE headers at their fixed offset, every section's
// bytes unchanged and every file pointer following them; images it cannot place are refused and
// nothing written.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vq::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPeAt = VQ_PE_HEADER_OFFSET;

Bytes Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

void Write(const fs::path& p, const Bytes& b) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

uint16_t U16(const Bytes& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | uint32_t(U16(b, at + 2)) << 16; }
void Put16(Bytes& b, size_t at, uint16_t v) {
    b.at(at) = uint8_t(v);
    b.at(at + 1) = uint8_t(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, uint16_t(v));
    Put16(b, at + 2, uint16_t(v >> 16));
}

// A bare PE32+ image of sizeOfHeaders bytes whose one section has no data in the file
// (PointerToRawData 0), so its debug directory resolves to an offset inside the headers.
Bytes DebugDirectoryInHeaders(uint32_t sizeOfHeaders) {
    constexpr uint32_t pe = 0x40, opt = pe + 24, optSize = 112 + 16 * 8, section = opt + optSize;
    constexpr uint32_t va = 0x10000, debugRva = va + 0x180;  // file offset 0x180: after the section table
    Bytes b(sizeOfHeaders, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, pe);
    Put32(b, pe, 0x4550);
    Put16(b, pe + 4, 0x8664);
    Put16(b, pe + 6, 1);  // NumberOfSections
    Put16(b, pe + 20, optSize);
    Put16(b, opt, 0x20B);
    Put32(b, opt + 36, 0x200);  // FileAlignment
    Put32(b, opt + 60, sizeOfHeaders);
    Put32(b, opt + 108, 16);  // NumberOfRvaAndSizes
    Put32(b, opt + 112 + 6 * 8, debugRva);
    Put32(b, opt + 112 + 6 * 8 + 4, 28);  // one debug entry
    Put32(b, section + 12, va);
    Put32(b, section + 16, 0x200);  // SizeOfRawData
    return b;
}

// Just enough of a PE reader to find what the splice must keep and what it must move.
struct Pe {
    uint32_t PeOffset, Opt, Sections, SectionCount, SizeOfHeaders, Symbols, Dirs;
    explicit Pe(const Bytes& b)
        : PeOffset(U32(b, 0x3C)),
          Opt(PeOffset + 24),
          Sections(Opt + U16(b, PeOffset + 20)),
          SectionCount(U16(b, PeOffset + 6)),
          SizeOfHeaders(U32(b, Opt + 60)),
          Symbols(U32(b, PeOffset + 12)),
          Dirs(Opt + (U16(b, Opt) == 0x20B ? 112 : 96)) {}
    uint32_t Sec(uint32_t i, uint32_t field) const { return Sections + i * 40 + field; }
};

int Shell(const std::string& cmd, std::string* output = nullptr) {
    std::string full = cmd + " 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (p == nullptr) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int status = pclose(p);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Stub : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vq-stub-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Splice(const fs::path& dos, const fs::path& in, const fs::path& out, std::string* msg = nullptr) {
        return Shell("'" VQ_VQPACK "' stub '" + dos.string() + "' '" + in.string() + "' '" + out.string() + "'", msg);
    }

    // Splices `sample`, checks the result against it and that objdump reads it.
    void CheckRoundTrip(const char* sample, const char* objdump) {
        const fs::path in = fs::path(VQ_SAMPLES) / sample, out = dir_ / "out.exe";
        std::string msg;
        ASSERT_EQ(Splice(VQ_DOS_PROGRAM, in, out, &msg), 0) << msg;
        const Bytes src = Read(in), dst = Read(out), dos = Read(VQ_DOS_PROGRAM);
        const Pe a(src), b(dst);

        // The DOS program, padded, then the PE headers.
        ASSERT_EQ(b.PeOffset, kPeAt);
        EXPECT_TRUE(std::equal(dos.begin() + 0x40, dos.end(), dst.begin() + 0x40));
        EXPECT_TRUE(std::equal(dos.begin(), dos.begin() + 0x3C, dst.begin()));
        EXPECT_TRUE(std::all_of(dst.begin() + long(dos.size()), dst.begin() + kPeAt, [](uint8_t v) { return v == 0; }));
        const uint32_t fileAlignment = U32(src, a.Opt + 36);
        EXPECT_EQ(b.SizeOfHeaders % fileAlignment, 0u);
        EXPECT_GE(b.SizeOfHeaders, b.Sections + b.SectionCount * 40);
        EXPECT_EQ(U32(dst, b.Opt + 64), 0u);  // CheckSum
        const int64_t delta = int64_t(b.SizeOfHeaders) - a.SizeOfHeaders;
        EXPECT_EQ(dst.size(), src.size() + size_t(delta));

        // Headers: the same apart from the fields the move changes.
        Bytes expect(src.begin() + a.PeOffset, src.begin() + a.Sections + a.SectionCount * 40);
        auto moved = [&](uint32_t at) { return at - a.PeOffset; };
        Put32(expect, moved(a.Opt + 60), b.SizeOfHeaders);
        Put32(expect, moved(a.Opt + 64), 0);
        if (a.Symbols) Put32(expect, moved(a.PeOffset + 12), uint32_t(a.Symbols + delta));
        for (uint32_t i = 0; i < a.SectionCount; ++i)
            for (uint32_t f : {20u, 24u, 28u})
                if (uint32_t v = U32(src, a.Sec(i, f))) Put32(expect, moved(a.Sec(i, f)), uint32_t(v + delta));
        EXPECT_TRUE(std::equal(expect.begin(), expect.end(), dst.begin() + kPeAt)) << "headers differ";

        // The debug directory's entry: the one pointer that lives inside section data.
        const uint32_t debugRva = U32(src, a.Dirs + 6 * 8);
        ASSERT_NE(debugRva, 0u) << "the sample is linked with a build id";
        uint32_t debugField = 0;  // its PointerToRawData, in the input
        for (uint32_t i = 0; i < a.SectionCount; ++i) {
            const uint32_t va = U32(src, a.Sec(i, 12));
            if (debugRva >= va && debugRva < va + U32(src, a.Sec(i, 16)))
                debugField = U32(src, a.Sec(i, 20)) + (debugRva - va) + 24;
        }
        ASSERT_NE(debugField, 0u);
        const uint32_t debugData = U32(dst, uint32_t(debugField + delta));
        EXPECT_EQ(debugData, U32(src, debugField) + delta);
        EXPECT_EQ(std::string(dst.begin() + debugData, dst.begin() + debugData + 4), "RSDS");

        // Each section's raw data, and the symbols after them, where the new pointers say.
        for (uint32_t i = 0; i < a.SectionCount; ++i) {
            const uint32_t size = U32(src, a.Sec(i, 16)), from = U32(src, a.Sec(i, 20)), to = U32(dst, b.Sec(i, 20));
            if (size == 0) continue;
            ASSERT_LE(size_t(to) + size, dst.size());
            Bytes want(src.begin() + from, src.begin() + from + size);
            if (debugField >= from && debugField < from + size) Put32(want, debugField - from, debugData);
            EXPECT_TRUE(std::equal(want.begin(), want.end(), dst.begin() + to)) << "section " << i;
        }
        if (a.Symbols) {
            EXPECT_TRUE(std::equal(src.begin() + a.Symbols, src.end(), dst.begin() + b.Symbols));
        }

        // objdump reads the whole of it, and sees the same sections at the same addresses.
        std::string before, after;
        ASSERT_EQ(Shell(std::string("'") + objdump + "' -p '" + out.string() + "'", &after), 0) << after;
        EXPECT_NE(after.find("There is a debug directory"), std::string::npos);
        Shell(std::string("'") + objdump + "' -h '" + in.string() + "' | awk 'NR>5 && /^ +[0-9]/ {print $2,$3,$4}'", &before);
        Shell(std::string("'") + objdump + "' -h '" + out.string() + "' | awk 'NR>5 && /^ +[0-9]/ {print $2,$3,$4}'", &after);
        EXPECT_FALSE(before.empty());
        EXPECT_EQ(before, after);
    }

    fs::path dir_;
};

TEST_F(Stub, Pe32PlusRoundTrip) { CheckRoundTrip("hello64.exe", VQ_OBJDUMP64); }

TEST_F(Stub, Pe32RoundTrip) { CheckRoundTrip("hello32.exe", VQ_OBJDUMP32); }

TEST_F(Stub, RefusesWhatItCannotPlaceAndWritesNothing) {
    const fs::path good = fs::path(VQ_SAMPLES) / "hello64.exe", out = dir_ / "out.exe";
    const Bytes keep = {'o', 'l', 'd'};
    auto refused = [&](const fs::path& dos, const fs::path& in, const char* why) {
        Write(out, keep);
        std::string msg;
        EXPECT_EQ(Splice(dos, in, out, &msg), 1) << why;
        EXPECT_NE(msg.find(why), std::string::npos) << msg;
        EXPECT_EQ(Read(out), keep) << why;
    };

    refused(VQ_DOS_PROGRAM, fs::path(VQ_SAMPLES) / "plain64.exe", "--section-start=.text");

    Bytes signed_ = Read(good);
    Put32(signed_, Pe(signed_).Dirs + 4 * 8, 0x1000);  // certificate table: offset, size
    Put32(signed_, Pe(signed_).Dirs + 4 * 8 + 4, 0x100);
    Write(dir_ / "signed.exe", signed_);
    refused(VQ_DOS_PROGRAM, dir_ / "signed.exe", "certificate table");

    Bytes packed = Read(good);
    const uint32_t c = uint32_t(packed.size());
    const Bytes header = {'P', 'Q', 'V', '_', 0, 0, 0, 0, 1, 0, 0, 0};  // EntryCount 1: no records
    for (uint8_t v : header) packed.push_back(v);
    for (int i = 0; i < 4; ++i) packed.push_back(uint8_t(c >> (8 * i)));
    Write(dir_ / "packed.exe", packed);
    refused(VQ_DOS_PROGRAM, dir_ / "packed.exe", "payload container");

    Bytes bigDos = Read(VQ_DOS_PROGRAM);
    bigDos.resize(kPeAt + 1);
    Write(dir_ / "big.exe", bigDos);
    refused(dir_ / "big.exe", good, "is larger than 0x");

    // Headers that grow to 0x5200 would take the debug entry's patch into themselves; headers
    // that shrink to it would take it to before the output's first byte.
    for (uint32_t sizeOfHeaders : {0x200u, 0x6000u}) {
        Write(dir_ / "debug.exe", DebugDirectoryInHeaders(sizeOfHeaders));
        refused(VQ_DOS_PROGRAM, dir_ / "debug.exe", "the debug directory lies inside the PE headers");
    }

    Write(dir_ / "text.exe", Bytes(200, 'x'));
    refused(VQ_DOS_PROGRAM, dir_ / "text.exe", "not an MZ file");
    refused(dir_ / "text.exe", good, "not an MZ file");
}

TEST_F(Stub, WrongArgumentsAreAUsageError) {
    std::string msg;
    EXPECT_EQ(Shell("'" VQ_VQPACK "' stub only-two args", &msg), 2);
    EXPECT_NE(msg.find("vqpack stub: stub takes DOSPROG PE_IN PE_OUT"), std::string::npos) << msg;
}

}  // namespace
}  // namespace vq::test
