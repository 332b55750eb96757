// The runtime's portable rules: the environment block, command tails, strings, paths, the clock.
#include <gtest/gtest.h>

#include <string>

#include "dos/DosWorkFiles.h"
#include "dos/rt/CommandTail.h"
#include "dos/rt/EnvBlock.h"
#include "dos/rt/Path.h"
#include "dos/rt/Process.h"
#include "dos/rt/Str.h"
#include "dos/rt/Time.h"

namespace vq::rt {
namespace {

struct Block {
    std::string bytes;
    uint8_t operator()(uint32_t i) const { return uint8_t(bytes.at(i)); }
};

Block Env(const std::string& vars, const std::string& path) {
    return Block{vars + std::string("\0\1\0", 3) + path + std::string(1, '\0')};
}

// The current directory is its drive joined with what DOS reports below the root ("" at the root).
TEST(JoinPath, ADriveJoinsToItsRoot) {
    char out[80];
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:", ""));
    EXPECT_STREQ(out, "C:\\");
    ASSERT_TRUE(JoinPath(out, sizeof out, "C:", "WORK\\VQPTEMP"));
    EXPECT_STREQ(out, "C:\\WORK\\VQPTEMP");
}

TEST(EnvBlock, FindsAVariableByItsWholeName) {
    const Block b = Env(std::string("PATH=Z:\\\0COMSPECX=no\0COMSPEC=Z:\\COMMAND.COM\0", 44), "C:\\BIN\\VQ.EXE");
    char out[80];
    ASSERT_TRUE(FindEnvValue(b, uint32_t(b.bytes.size()), "COMSPEC", out, sizeof out));
    EXPECT_STREQ(out, "Z:\\COMMAND.COM");
    EXPECT_FALSE(FindEnvValue(b, uint32_t(b.bytes.size()), "COMSPE", out, sizeof out));
    EXPECT_FALSE(FindEnvValue(b, uint32_t(b.bytes.size()), "TEMP", out, sizeof out));
}

TEST(EnvBlock, RefusesValuesThatDoNotFitAndBlocksWithoutAnEnd) {
    const Block b = Env(std::string("COMSPEC=Z:\\COMMAND.COM\0", 23), "C:\\VQ.EXE");
    char small[14];
    EXPECT_FALSE(FindEnvValue(b, uint32_t(b.bytes.size()), "COMSPEC", small, sizeof small));
    char out[80];
    EXPECT_FALSE(FindEnvValue(b, 12, "COMSPEC", out, sizeof out));  // cut inside the value
}

TEST(EnvBlock, ProgramPathFollowsTheCountWord) {
    const Block b = Env(std::string("A=1\0B=2\0", 8), "C:\\BIN\\VQTEST.EXE");
    char out[80];
    ASSERT_TRUE(FindProgramPath(b, uint32_t(b.bytes.size()), out, sizeof out));
    EXPECT_STREQ(out, "C:\\BIN\\VQTEST.EXE");
    EXPECT_FALSE(FindProgramPath(b, uint32_t(b.bytes.size()) - 1, out, sizeof out));  // unterminated
    const Block old{std::string("A=1\0\0\0\0", 7)};                                     // DOS 2: no count
    EXPECT_FALSE(FindProgramPath(old, uint32_t(old.bytes.size()), out, sizeof out));
}

// The longest name DOS gives a program: its deepest current directory, "\" and an 8.3 name.
TEST(EnvBlock, ProgramPathTakesTheLongestNameDosGives) {
    const uint32_t longest = dos::kDosLongestDirChars + 1 + dos::kDosLongestNameChars;
    char out[kProgramPathBytes];
    for (const uint32_t length : {longest - 1, longest}) {
        const std::string path = "C:\\" + std::string(length - 3, 'A');
        const Block b = Env(std::string("A=1\0", 4), path);
        ASSERT_TRUE(FindProgramPath(b, uint32_t(b.bytes.size()), out, sizeof out)) << length << " characters";
        EXPECT_EQ(out, path);
    }
    const Block tooLong = Env(std::string("A=1\0", 4), "C:\\" + std::string(longest - 2, 'A'));
    EXPECT_FALSE(FindProgramPath(tooLong, uint32_t(tooLong.bytes.size()), out, sizeof out));
}

TEST(CommandTail, IsLengthTextAndCarriageReturn) {
    uint8_t tail[kTailBytes];
    const char* args[] = {"-df", "*.gz"};
    ASSERT_TRUE(BuildCommandTail(args, 2, tail));
    EXPECT_EQ(tail[0], 9);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(tail + 1), 10), " -df *.gz\r");
    const char* shell[] = {"/C", "flash -f bios.bin > output"};
    ASSERT_TRUE(BuildCommandTail(shell, 2, tail));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(tail + 1), tail[0]), " /C flash -f bios.bin > output");
}

TEST(CommandTail, RefusesMoreThan126Characters) {
    uint8_t tail[kTailBytes];
    const std::string fits(125, 'a');  // plus the leading space: 126
    const char* ok[] = {fits.c_str()};
    ASSERT_TRUE(BuildCommandTail(ok, 1, tail));
    EXPECT_EQ(tail[0], 126);
    EXPECT_EQ(tail[127], '\r');
    const std::string tooLong(126, 'a');
    const char* bad[] = {tooLong.c_str()};
    EXPECT_FALSE(BuildCommandTail(bad, 1, tail));
}

TEST(CommandTail, SplitsOnBlanksUpToTheCarriageReturn) {
    char text[] = "  -f\tbios.bin  \r ignored";
    char* argv[4];
    ASSERT_EQ(SplitCommandTail(text, uint32_t(sizeof text - 1), argv, 4), 2u);
    EXPECT_STREQ(argv[0], "-f");
    EXPECT_STREQ(argv[1], "bios.bin");
    char many[] = "a b c d e";
    EXPECT_EQ(SplitCommandTail(many, uint32_t(sizeof many - 1), argv, 4), 4u);
    EXPECT_STREQ(argv[3], "d");
}

TEST(Strings, AppendLeavesTheBufferAsItWasOnOverflow) {
    char buf[8] = "abc";
    EXPECT_TRUE(StrAppend(buf, sizeof buf, "defg"));  // 7 characters and the terminator
    EXPECT_STREQ(buf, "abcdefg");
    EXPECT_FALSE(StrAppend(buf, sizeof buf, "h"));
    EXPECT_STREQ(buf, "abcdefg");
    char digits[11];
    EXPECT_STREQ(FormatUnsigned(0, digits), "0");
    EXPECT_STREQ(FormatUnsigned(4294967295u, digits), "4294967295");
    EXPECT_TRUE(StrEqualNoCase("Bios.bin", "BIOS.BIN"));
    EXPECT_FALSE(StrEqualNoCase("Bios.bin", "Bios.bi"));
}

TEST(Clock, ElapsedTimeCrossesMidnight) {
    EXPECT_EQ(ElapsedHundredths(100, 800), 700u);
    EXPECT_EQ(ElapsedHundredths(kHundredthsPerDay - 300, 400), 700u);
}

}  // namespace
}  // namespace vq::rt
