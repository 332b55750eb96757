// The DOS program's pure decisions: paths, the answer rule, positions, chunking, judging the tools,
// the power-off plan.
#include <gtest/gtest.h>

#include <string>

#include "dos/DosLogic.h"
#include "dos/DosWorkFiles.h"
#include "dos/DosPowerOff.h"

namespace vq::dos {
namespace {

TEST(WorkDirPath, IsTheStartingDirectoryWithVqPTempBelowIt) {
    char out[kPathBytes];
    ASSERT_TRUE(FormWorkDirPath("C:\\WORK", out));
    EXPECT_STREQ(out, "C:\\WORK\\VqPTemp");
    ASSERT_TRUE(FormWorkDirPath("C:\\", out));  // a root already ends with the separator
    EXPECT_STREQ(out, "C:\\VqPTemp");
}

TEST(WorkDirPath, RefusesWhatDosCannotMakeCurrentOrReachAnEightThreeNameIn) {
    char out[kPathBytes];
    // 58 + "\VqPTemp" = 66 characters: the longest current directory DOS keeps, and with
    // "\" and an 8.3 name 79, the longest path.
    const std::string fits = "C:\\" + std::string(58 - 3, 'D');
    ASSERT_TRUE(FormWorkDirPath(fits.c_str(), out));
    EXPECT_EQ(std::string(out).size(), 66u);
    EXPECT_FALSE(FormWorkDirPath((fits + "D").c_str(), out));
}

TEST(EntryPath, NamesEachEntryByItsNumber) {
    char out[kPathBytes];
    ASSERT_TRUE(FormEntryPath("C:\\VqPTemp", 0, out));
    EXPECT_STREQ(out, "C:\\VqPTemp\\VQExt_0");
    ASSERT_TRUE(FormEntryPath("C:\\WORK\\VqPTemp", 11, out));
    EXPECT_STREQ(out, "C:\\WORK\\VqPTemp\\VQExt_11");
    char name[17];
    FormEntryName(4294967295u, name);
    EXPECT_STREQ(name, "VQExt_4294967295");
}

TEST(EntryPath, RefusesWhatDoesNotFit) {
    char out[kPathBytes];
    const std::string dir(79 - 9, 'D');  // + "\VQExt_1" (8) = 78; "\VQExt_11" = 79; "\VQExt_100" = 80
    EXPECT_TRUE(FormEntryPath(dir.c_str(), 11, out));
    EXPECT_FALSE(FormEntryPath(dir.c_str(), 100, out));
}

TEST(Answer, OnlyAFirstYStartsTheUpgrade) {
    EXPECT_TRUE(IsYesAnswer('y'));
    EXPECT_TRUE(IsYesAnswer('Y'));
    for (int ch : {int('n'), int('N'), int('\r'), int('\n'), int(' '), int('x'), 0, -1}) EXPECT_FALSE(IsYesAnswer(ch)) << ch;
}

TEST(Screen, FailureLineIsTwoRowsBelowTheStatusInTheSameColumn) {
    const TextPos f = FailurePosition(TextPos{3, 10});
    EXPECT_EQ(f.col, 3);
    EXPECT_EQ(f.row, 12);
}

TEST(Copy, ChunksOfAtMost49152BytesCoverTheExtentExactly) {
    EXPECT_EQ(NextChunk(0), 0);
    EXPECT_EQ(NextChunk(1), 1);
    EXPECT_EQ(NextChunk(49152), 49152);
    EXPECT_EQ(NextChunk(49153), 49152);
    EXPECT_EQ(NextChunk(0x7FFFFFFF), 49152);
    uint32_t remaining = 4194304 + 17, chunks = 0, total = 0;
    while (remaining != 0) {
        const uint16_t c = NextChunk(remaining);
        ASSERT_GT(c, 0);
        total += c;
        remaining -= c;
        ++chunks;
    }
    EXPECT_EQ(total, 4194304u + 17);
    EXPECT_EQ(chunks, 86u);  // 85 whole chunks and a last one of 16401 bytes
}

TEST(ToolRun, OnlyANormalEndCounts) {
    // Ctrl-C and a critical-error Abort cannot be raised under DOSBox: their decision is tested here.
    for (uint8_t type : {rt::kEndCtrlC, rt::kEndCriticalError, rt::kEndResident}) {
        EXPECT_FALSE(ToolSucceeded(true, rt::ChildEnd{type, 0})) << int(type);
        EXPECT_FALSE(FlashSucceeded(true, rt::ChildEnd{type, 0}, false)) << int(type);
    }
    EXPECT_FALSE(ToolSucceeded(false, rt::ChildEnd{rt::kEndNormal, 0}));  // never started
    EXPECT_FALSE(FlashSucceeded(false, rt::ChildEnd{rt::kEndNormal, 0}, false));
    EXPECT_TRUE(ToolSucceeded(true, rt::ChildEnd{rt::kEndNormal, 0}));
    EXPECT_FALSE(ToolSucceeded(true, rt::ChildEnd{rt::kEndNormal, 1}));
}

TEST(ToolRun, TheFlashToolIsJudgedByItsExitCodeAndItsLog) {
    EXPECT_TRUE(FlashSucceeded(true, rt::ChildEnd{rt::kEndNormal, 0}, false));
    EXPECT_FALSE(FlashSucceeded(true, rt::ChildEnd{rt::kEndNormal, 1}, false));
    EXPECT_FALSE(FlashSucceeded(true, rt::ChildEnd{rt::kEndNormal, 0}, true));
}

TEST(Leftover, PlainFilesAndTheProgramsOwnReadOnlyNamesAreEmptied) {
    // What a run cut short leaves, as DOS lists it: the entries it wrote read-only, under their
    // numbers, their gzip names or the names the tools use, and the tools' printing and log.
    const char* const own[] = {"VQEXT_0",  "VQEXT_1",    "VQEXT_2",    "VQEXT_5",    "VQEXT_10",  "VQEXT_11",
                               "VQEXT_3.GZ", "VQEXT_4.GZ", "VQEXT_11.GZ", "GZIP.EXE",   "FPARTS.TXT", "FLASH.EXE",
                               "BIOS.BIN", "OUTPUT",     "ERROR.LOG",  "VQExt_4",    "VQEXT_0.",  "OUTPUT."};
    for (const char* name : own) {
        EXPECT_TRUE(LeftoverEntryMayBeDeleted(0x01, name)) << name;  // read-only
        EXPECT_TRUE(LeftoverEntryMayBeDeleted(0x21, name)) << name;  // and archive
    }
    for (const char* name : {"NOTES.TXT", "VQEXT_0"}) {
        EXPECT_TRUE(LeftoverEntryMayBeDeleted(0x00, name)) << name;
        EXPECT_TRUE(LeftoverEntryMayBeDeleted(0x20, name)) << name;
    }
}

TEST(Leftover, WhatNoRunLeavesIsRefused) {
    // DOSBox shows no hidden or system files: those bits are tested here, on our names too.
    for (uint8_t attr : std::initializer_list<uint8_t>{0x02, 0x04, 0x10, 0x12, 0x03, 0x23})
        for (const char* name : {"VQEXT_0", "BIOS.BIN", "NOTES.TXT"})
            EXPECT_FALSE(LeftoverEntryMayBeDeleted(attr, name)) << int(attr) << " " << name;
    // Read-only under a name no run writes: beyond the twelve entries, a gzip name for an entry
    // never decompressed, a number spelled otherwise, another file.
    for (const char* name : {"NOTES.TXT", "VQEXT_12", "VQEXT_5.GZ", "VQEXT_0.GZ", "VQEXT_01", "VQEXT_", "VQEXT_1.G",
                             "GZIPW.EXE", "VORQUINT.EXE", "OUTPUT.TXT", "ERROR", "VQEXT_0..", "."})
        EXPECT_FALSE(LeftoverEntryMayBeDeleted(0x01, name)) << name;
}

constexpr uint32_t kIntelLpcId = 0x1C448086;      // vendor 8086h in the low word
constexpr uint32_t kIsaBridgeClassRev = 0x06010005;  // class 0601h, revision 05h

TEST(PowerOff, WritesNothingUnlessTheDeviceIsTheBridgeWithABase) {
    EXPECT_FALSE(PlanPowerOff({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}).write);  // no device answers on the bus
    EXPECT_FALSE(PlanPowerOff({0x780E1022, kIsaBridgeClassRev, 0x00000401}).write);  // another vendor's bridge
    EXPECT_FALSE(PlanPowerOff({kIntelLpcId, 0x06040000, 0x00000401}).write);         // a PCI-to-PCI bridge
    EXPECT_FALSE(PlanPowerOff({kIntelLpcId, kIsaBridgeClassRev, 0x00000000}).write);
    EXPECT_FALSE(PlanPowerOff({kIntelLpcId, kIsaBridgeClassRev, 0x00000001}).write);  // only the I/O-space bit
    EXPECT_FALSE(PlanPowerOff({kIntelLpcId, kIsaBridgeClassRev, 0x12340001}).write);  // bits above 15 are no base
}

TEST(PowerOff, TargetsTheHighByteOfPm1ControlOnTheBridge) {
    const PowerOffPlan p = PlanPowerOff({kIntelLpcId, kIsaBridgeClassRev, 0x00000401});
    ASSERT_TRUE(p.write);
    EXPECT_EQ(p.pm1Port, 0x405);
    EXPECT_EQ(PlanPowerOff({kIntelLpcId, kIsaBridgeClassRev, 0x0000FF80}).pm1Port, 0xFF85);
    EXPECT_EQ(kSleepTypeSoftOff | kSleepEnable, 0x3C);
}

}  // namespace
}  // namespace vq::dos
