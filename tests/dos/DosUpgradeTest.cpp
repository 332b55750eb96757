// Whole runs of the DOS upgrade in DOSBox: a program carrying a container made by vqpack, the
// gzip and flash doubles inside it, the answer from a file, and the screen read back afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/Product.h"
#include "dos/DosTexts.h"
#include "payload/PayloadFormat.h"
#include "payload/PeFormat.h"
#include "payload/SignedDigest.h"
#include "testing/dos/Control.h"
#include "testing/dos/ScreenCapture.h"
#include "testing/host/FlashImageGen.h"
#include "tests/dos/DosboxRun.h"
#include "tests/dos/FatDisk.h"

namespace vq::test {
namespace {

namespace fs = std::filesystem;

const std::string kTitle = vq::kProductTitle;
const std::string kPrompt = "Start to upgrade your Sugarbay platform (y/n)?";
const std::string kWarning = "Do Not Abort the Upgrade or Turn Off the Power.";
const std::string kFailExtract = "Fail to extract upgrade files. File may be corrupted.";
const std::string kFailUpgrade = "Fail to upgrade. Please check if ME_UNLOCK is shorted.";
constexpr uint8_t kYellow = 14, kGrey = 7, kBlinkRed = 0x84, kGreen = 10, kRed = 4;
// Rows on a screen the program cleared, with the answer read from a file (nothing echoed).
constexpr int kTitleRow = 1, kPromptRow = 6, kWarningRow = 7, kStatusRow = 9, kFailureRow = 11;

const char* const kProgramName = "VQTEST.EXE";
constexpr const char* kDriveC = "C:\\";

// A path on C: as the DOS side names it, from the mounted folder's point of view.
std::string FromC(const char* dosPath) {
    const size_t prefix = strlen(kDriveC);
    if (strncmp(dosPath, kDriveC, prefix) != 0) ADD_FAILURE() << dosPath << " is not on C:";
    std::string rest(dosPath + std::min(prefix, strlen(dosPath)));
    for (char& c : rest)
        if (c == '\\') c = '/';
    return rest;
}

// What the doubles leave in C:\ for the tests to read: all else a run leaves is the program's.
const std::set<std::string> kDoubleRecords = {FromC(vq::testing::kFlashedCopy), FromC(vq::testing::kFlashDirRecord),
                                              FromC(vq::testing::kGzipShot), FromC(vq::testing::kFlashShot),
                                              FromC(vq::testing::kVectorsRecord), FromC(vq::testing::kTrapRecord)};

class DosUpgrade : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        inputs_ = fs::temp_directory_path() / ("vq-dosbox-inputs-" + std::to_string(getpid()));
        fs::create_directories(inputs_);
        image_ = vq::testing::MakeFlashImage();
        WriteBytes(inputs_ / "bios.bin", image_);
        for (int i = 2; i <= 10; ++i) WriteBytes(inputs_ / ("entry" + std::to_string(i)), Bytes(size_t(100 * i), uint8_t(i)));
        container_ = Build();
    }
    static void TearDownTestSuite() { fs::remove_all(inputs_); }

    void SetUp() override {
        // Every run needs the program with its container: without it the test fails, naming why.
        if (container_.empty()) GTEST_FAIL() << "no program to run: " << buildFailure_;
        drive_ = fs::temp_directory_path() / ("vq-dosbox-" + std::to_string(getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ResetDrive();
    }
    void ResetDrive() {
        fs::remove_all(drive_);
        fs::create_directories(drive_ / "WORK");
        fs::create_directories(OnC(vq::testing::kFlashErrorSwitch).parent_path());
    }
    void TearDown() override {
        if (HasFailure()) return;
        fs::remove_all(drive_);
        fs::remove_all(otherDrive_);
    }

    // The program with a container: entry 11 from the flash image, and the given DOS flash tool;
    // in front of it the DOS program alone, or another image.
    static Bytes Build(const std::string& flashTool = VQ_DOS_DOUBLES "/FLASH.EXE",
                       const std::string& image = VQ_DOS_PROGRAM) {
        const fs::path out = inputs_ / "VQTEST.EXE";
        std::string cmd = "'" VQ_VQPACK "' build --image '" + image + "' --out '" + out.string() + "'";
        cmd += " '" VQ_DOS_DOUBLES "/GZIP.EXE' '" + (inputs_ / "entry2").string() + "' '" VQ_FPARTS "' '" + flashTool + "'";
        for (int i = 5; i <= 10; ++i) cmd += " '" + (inputs_ / ("entry" + std::to_string(i))).string() + "'";
        const fs::path errors = inputs_ / "vqpack-errors.txt";
        cmd += " '" + (inputs_ / "bios.bin").string() + "' >/dev/null 2>'" + errors.string() + "'";
        const int status = system(cmd.c_str());
        if (status != 0) {
            const Bytes said = ReadBytes(errors);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            buildFailure_ = "vqpack build (" VQ_VQPACK ") failed with exit code " + std::to_string(code) + ": " +
                            std::string(said.begin(), said.end());
            return {};
        }
        return ReadBytes(out);
    }

    // Every file and folder below dir, by its path from there, with a file's bytes.
    static std::map<std::string, Bytes> Files(const fs::path& dir) {
        std::map<std::string, Bytes> files;
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            const std::string name = e.path().lexically_relative(dir).string();
            if (e.is_directory()) files[name + "/"] = {};
            else files[name] = ReadBytes(e.path());
        }
        return files;
    }

    // What the last run added, removed or changed on C:, the doubles' records aside: one line
    // a path, empty when nothing.
    std::string DiskChanges() const {
        const std::map<std::string, Bytes> after = Files(drive_);
        std::string changes;
        for (const auto& [name, bytes] : after) {
            const auto was = before_.find(name);
            if (was == before_.end() && kDoubleRecords.count(name) == 0) changes += "added " + name + "\n";
            else if (was != before_.end() && was->second != bytes) changes += "changed " + name + "\n";
        }
        for (const auto& [name, bytes] : before_)
            if (after.count(name) == 0) changes += "removed " + name + "\n";
        return changes;
    }

    // The program, placed in programDir on C:, started from startDir with the answer in a file.
    DosRunResult Run(const Bytes& program, const std::string& answer, const std::string& startDir = "C:\\WORK",
                     const std::string& programDir = "C:\\BIN", const std::string& programName = kProgramName) {
        WriteBytes(OnC(programDir.c_str()) / programName, program);
        WriteBytes(drive_ / "ANSWER.TXT", Bytes(answer.begin(), answer.end()));
        std::vector<std::string> commands;
        if (trap_) {
            WriteBytes(drive_ / kTrapName, ReadBytes(VQ_DOS_DOUBLES "/" + std::string(kTrapName)));
            commands.push_back(std::string(kDriveC) + kTrapName + " " + trap_);
        }
        before_ = Files(drive_);
        std::string start = "cd \\";  // DOSBox's cd takes no drive
        start += startDir.c_str() + strlen(kDriveC);
        commands.push_back(start);
        commands.push_back(programDir + "\\" + programName + " < C:\\ANSWER.TXT");
        DosRunResult r = RunInDosbox(drive_, commands, otherDrive_);
        EXPECT_TRUE(r.ran) << r.log;
        return r;
    }

    fs::path OnC(const char* dosPath) const { return drive_ / FromC(dosPath); }
    void Switch(const char* dosPath) { WriteBytes(OnC(dosPath), Bytes{'1'}); }
    bool WorkDirLeft() const { return !FindNoCase(drive_ / "WORK", "VqPTemp").empty(); }
    Bytes Flashed() const { return ReadBytes(OnC(vq::testing::kFlashedCopy)); }

    static void ExpectHeading(const Screen& s) {
        EXPECT_TRUE(s.Line(kTitleRow, kTitle, kYellow)) << s.Dump();
        EXPECT_TRUE(s.Line(kPromptRow, kPrompt + " ", kGrey)) << s.Dump();
    }

    static void ExpectFailure(const DosRunResult& r, const std::string& status, const std::string& failure) {
        EXPECT_EQ(r.exitCode, 0);
        ExpectHeading(r.screen);
        EXPECT_TRUE(r.screen.Line(kWarningRow, kWarning, kBlinkRed)) << r.screen.Dump();
        EXPECT_TRUE(r.screen.Line(kStatusRow, status, kGreen)) << r.screen.Dump();
        EXPECT_TRUE(r.screen.Line(kFailureRow, failure, kRed)) << r.screen.Dump();
    }

    static inline fs::path inputs_;
    static inline Bytes image_;
    static inline Bytes container_;
    static inline std::string buildFailure_;  // why the last Build gave nothing
    fs::path drive_;
    fs::path otherDrive_;  // mounted as D: when set
    // VQTRAP's argument when it is to run before the program (TrapDouble.S): its critical error
    // or Ctrl-Break meets the create of VQEXT_5, and DOS's own handlers are those it puts in place.
    const char* trap_ = nullptr;
    static constexpr const char* kTrapName = "VQTRAP.COM";
    std::map<std::string, Bytes> before_;  // C: as the last run found it
};

TEST_F(DosUpgrade, AnythingButYLeavesTheDiskAlone) {
    for (const std::string answer : {"n\r\n", "N\r\n", "\r\n", "", "x\r\n"}) {
        SCOPED_TRACE("answer \"" + answer + "\"");
        const DosRunResult r = Run(container_, answer);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(DiskChanges(), "");
        ExpectHeading(r.screen);
        EXPECT_EQ(r.screen.Row(3), "Upgrade your Sugarbay platform to support Ivybridge processors");
        EXPECT_EQ(r.screen.Attr(0, 3), kGrey);
        EXPECT_EQ(r.screen.Row(4), "Disclaimer: Do Not abort the upgrade after starting it.");
        EXPECT_EQ(r.screen.Row(kWarningRow), "") << r.screen.Dump();
    }
}

TEST_F(DosUpgrade, FlashesTheContainersImageAndLeavesNothingBehind) {
    Switch(vq::testing::kShotSwitch);
    const auto start = std::chrono::steady_clock::now();
    const DosRunResult r = Run(container_, "y\r\n");
    // DOSBox's clock follows the host's: the whole run holds the 7-second pause before the power-off.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
    EXPECT_EQ(r.exitCode, 1);  // the power-off came back: there is no chipset under DOSBox
    EXPECT_TRUE(Flashed() == image_) << "the flash tool got " << Flashed().size() << " bytes";
    EXPECT_EQ(DiskChanges(), "");
    // Below the current directory, not the executable's.
    const Bytes dir = ReadBytes(OnC(vq::testing::kFlashDirRecord));
    EXPECT_EQ(strncasecmp(reinterpret_cast<const char*>(dir.data()), "C:\\WORK\\VQPTEMP\r\n", dir.size()), 0);

    ExpectHeading(r.screen);
    EXPECT_TRUE(r.screen.Line(kWarningRow, kWarning, kBlinkRed)) << r.screen.Dump();
    // The jumper instruction stays, with the last status below it, and a power-off that came back
    // says so.
    EXPECT_TRUE(r.screen.Line(kStatusRow, "System will be shutdown. Please remove the ME_UNLOCK jumper and clear the CMOS",
                              kGreen)) << r.screen.Dump();
    EXPECT_TRUE(r.screen.Line(kStatusRow + 1, "Preparing to shutdown the system", kGreen)) << r.screen.Dump();
    EXPECT_TRUE(r.screen.Line(kFailureRow, vq::dos::kFailPowerOff, kRed)) << r.screen.Dump();
    // What the screen showed while each tool ran.
    Screen whileGzip, whileFlash;
    ASSERT_TRUE(whileGzip.Load(OnC(vq::testing::kGzipShot)));
    EXPECT_TRUE(whileGzip.Line(kStatusRow, "Extracting files ...", kGreen)) << whileGzip.Dump();
    ASSERT_TRUE(whileFlash.Load(OnC(vq::testing::kFlashShot)));
    EXPECT_TRUE(whileFlash.Line(kStatusRow, "Flashing BIOS ...", kGreen)) << whileFlash.Dump();
}

TEST_F(DosUpgrade, AWrongMagicIsAnExtractionFailure) {
    Bytes program = container_;
    const size_t c = program[program.size() - 4] | program[program.size() - 3] << 8 | program[program.size() - 2] << 16;
    program[c] = 'X';
    const DosRunResult r = Run(program, "yes\r\n");  // only the first character counts
    ExpectFailure(r, "Extracting files ...", kFailExtract);
    EXPECT_FALSE(WorkDirLeft());
    EXPECT_TRUE(Flashed().empty());
}

TEST_F(DosUpgrade, ADamagedGzipMemberIsAnExtractionFailure) {
    // vqpack writes no damaged member, so the damage is made here: a byte inside the deflate data
    // of the flash image's member, which ends 8 bytes (CRC32, ISIZE) before the 4-byte trailer.
    Bytes program = container_;
    ASSERT_GT(program.size(), 4u + 8 + 1000);
    program[program.size() - 4 - 8 - 1000] ^= 0x55;
    const DosRunResult r = Run(program, "Y\r\n");
    ExpectFailure(r, "Extracting files ...", kFailExtract);
    EXPECT_FALSE(WorkDirLeft());  // the clean-up ran from inside the work directory
    EXPECT_TRUE(Flashed().empty());
}

TEST_F(DosUpgrade, ATruncatedFileIsAnExtractionFailure) {
    // Bytes cut from the middle of the last entry: the trailer and the magic are still right,
    // but the records now run past the end of the file.
    Bytes cutInside = container_;
    const size_t c = cutInside[cutInside.size() - 4] | cutInside[cutInside.size() - 3] << 8;
    cutInside.erase(cutInside.end() - 5000, cutInside.end() - 4);
    const Bytes trailer(container_.end() - 4, container_.end());
    ASSERT_EQ(Bytes(cutInside.end() - 4, cutInside.end()), trailer);
    ASSERT_LT(c, cutInside.size());
    // And a file that simply stops early.
    const Bytes cutShort(container_.begin(), container_.end() - 70000);
    for (const Bytes* program : {static_cast<const Bytes*>(&cutInside), &cutShort}) {
        const DosRunResult r = Run(*program, "y\r\n");
        ExpectFailure(r, "Extracting files ...", kFailExtract);
        EXPECT_FALSE(WorkDirLeft());
    }
}

TEST_F(DosUpgrade, TheRestOfTheAnswerLineReachesNoChild) {
    Switch(vq::testing::kStdinSwitch);  // the gzip double records what it finds on its standard input
    const DosRunResult r = Run(container_, "yes\r\n");
    EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
    const fs::path record = OnC(vq::testing::kStdinRecord);
    ASSERT_TRUE(fs::exists(record));
    const Bytes left = ReadBytes(record);
    EXPECT_TRUE(left.empty()) << "the child read \"" << std::string(left.begin(), left.end()) << "\"";
}

TEST_F(DosUpgrade, AChildThatLeavesTheHighWordOfEspSetDoesNotDerailTheProgram) {
    Switch(vq::testing::kDirtyEspSwitch);
    const DosRunResult r = Run(container_, "y\r\n");
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
    EXPECT_TRUE(Flashed() == image_);
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, AFlashFileThatCannotTakeItsNameFlashesNothing) {
    Switch(vq::testing::kStaleImageSwitch);  // gzip leaves another image named BIOS.BIN: the image cannot be renamed to it
    const DosRunResult r = Run(container_, "y\r\n");
    ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
    EXPECT_TRUE(Flashed().empty()) << "the flash tool ran on a file that is not this run's image";
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, AnErrorLogAfterFlashingIsAFlashFailure) {
    Switch(vq::testing::kFlashErrorSwitch);
    const DosRunResult r = Run(container_, "y\r\n");
    ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, AnErrorLogFromBeforeTheFlashDoesNotCount) {
    Switch(vq::testing::kStaleLogSwitch);  // gzip leaves an ERROR.LOG in the work directory
    const DosRunResult r = Run(container_, "y\r\n");
    EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
    EXPECT_TRUE(Flashed() == image_);
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, ALeftoverOfPlainFilesIsReplacedByFreshFiles) {
    const fs::path old = drive_ / "WORK" / "VQPTEMP";
    for (int i = 0; i <= 11; ++i) WriteBytes(old / ("VQEXT_" + std::to_string(i)), Bytes(7, 'o'));
    Bytes staleImage = image_;  // a different image the flash double would accept
    staleImage[4096] ^= 0xFF;
    WriteBytes(old / "BIOS.BIN", staleImage);
    WriteBytes(old / "ERROR.LOG", Bytes{'o', 'l', 'd'});
    WriteBytes(old / "OUTPUT", Bytes{'o', 'l', 'd'});
    const DosRunResult r = Run(container_, "y\r\n");
    EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
    EXPECT_TRUE(Flashed() == image_) << "the flash tool did not get the container's image";
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, AFileInTheWorkDirectorysPlaceLeavesTheStartingDirectoryAlone) {
    const fs::path start = drive_ / "WORK";
    WriteBytes(start / "VQPTEMP", Bytes{'m', 'i', 'n', 'e'});
    WriteBytes(start / "NOTES.TXT", Bytes(3000, 'n'));
    WriteBytes(start / "VQTEST.EXE", container_);  // the program beside its user's files
    chmod((start / "NOTES.TXT").c_str(), 0444);
    const std::map<std::string, Bytes> before = Files(start);
    Switch(vq::testing::kShotSwitch);  // a tool that runs leaves its screen behind
    const DosRunResult r = Run(container_, "y\r\n");
    ExpectFailure(r, "Extracting files ...", kFailExtract);
    EXPECT_TRUE(Files(start) == before) << "the starting directory changed";
    EXPECT_FALSE(fs::exists(OnC(vq::testing::kGzipShot))) << "gzip ran";
    EXPECT_FALSE(fs::exists(OnC(vq::testing::kFlashShot))) << "the flash tool ran";
}

TEST_F(DosUpgrade, AnEntryThatCannotTakeItsGzipNameFailsTheExtraction) {
    // Left behind where the compressed image is to be renamed: a directory, which DOS will not
    // rename a file onto. A leftover that holds a folder is now refused before anything is
    // extracted; either way the compressed image must never reach the flash tool.
    fs::create_directories(drive_ / "WORK" / "VQPTEMP" / "VQEXT_11.GZ");
    const DosRunResult r = Run(container_, "y\r\n");
    ExpectFailure(r, "Extracting files ...", kFailExtract);
    EXPECT_FALSE(fs::exists(OnC(vq::testing::kFlashDirRecord))) << "the flash tool ran on the compressed image";
}

TEST_F(DosUpgrade, AToolThatDidNotRunToANormalEndFailsItsStep) {
    // A flash tool DOS cannot load: its header asks for more memory than there is.
    Bytes tool = ReadBytes(VQ_DOS_DOUBLES "/FLASH.EXE");
    ASSERT_GT(tool.size(), 0x0Cu);
    tool[0x0A] = tool[0x0B] = 0xFF;  // minimum allocation, in paragraphs
    WriteBytes(inputs_ / "HUNGRY.EXE", tool);
    const Bytes unloadable = Build((inputs_ / "HUNGRY.EXE").string());
    ASSERT_FALSE(unloadable.empty()) << buildFailure_;
    {
        SCOPED_TRACE("flash tool that cannot be loaded");
        const DosRunResult r = Run(unloadable, "y\r\n");
        ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
        EXPECT_TRUE(Flashed().empty());
    }
    {
        SCOPED_TRACE("flash tool that stays resident after flashing, with exit code 0 and no log");
        ResetDrive();
        Switch(vq::testing::kFlashResidentSwitch);
        const DosRunResult r = Run(container_, "y\r\n");
        ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
    }
    {
        SCOPED_TRACE("gzip that stays resident after decompressing, with exit code 0");
        ResetDrive();
        Switch(vq::testing::kGzipResidentSwitch);
        const DosRunResult r = Run(container_, "y\r\n");
        ExpectFailure(r, "Extracting files ...", kFailExtract);
        EXPECT_TRUE(Flashed().empty());
    }
}

TEST_F(DosUpgrade, AFlashToolThatLeavesAnotherDriveCurrentChangesNothingThere) {
    // The tool ends with D: current and the root current on C:: bare names would reach either.
    otherDrive_ = drive_.string() + "-D";
    WriteBytes(otherDrive_ / "KEEP.TXT", Bytes(500, 'k'));
    WriteBytes(otherDrive_ / "VQEXT_11", Bytes(7, 'd'));
    const std::map<std::string, Bytes> onD = Files(otherDrive_);
    std::vector<fs::path> onC;
    for (const auto& e : fs::directory_iterator(drive_)) onC.push_back(e.path());
    Switch(vq::testing::kFlashDriveSwitch);
    {
        SCOPED_TRACE("the tool flashed and ended normally");
        const DosRunResult r = Run(container_, "y\r\n");
        EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
        EXPECT_TRUE(Flashed() == image_);
        EXPECT_FALSE(WorkDirLeft()) << "the clean-up did not empty C:'s work directory";
        EXPECT_TRUE(Files(otherDrive_) == onD) << "D: changed";
        for (const fs::path& p : onC) EXPECT_TRUE(fs::exists(p)) << p << " went from C:\\";
    }
    {
        SCOPED_TRACE("the tool failed, leaving ERROR.LOG in the work directory");
        ResetDrive();
        Switch(vq::testing::kFlashDriveSwitch);
        Switch(vq::testing::kFlashErrorSwitch);
        const DosRunResult r = Run(container_, "y\r\n");
        ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
        EXPECT_FALSE(WorkDirLeft());
        EXPECT_TRUE(Files(otherDrive_) == onD) << "D: changed";
    }
}

TEST_F(DosUpgrade, AFlashToolThatEndsWithExitCodeOneFailedWithoutALog) {
    WriteBytes(inputs_ / "EXIT1.COM", Bytes{0xB8, 0x01, 0x4C, 0xCD, 0x21});  // mov ax,4C01h; int 21h
    const Bytes program = Build((inputs_ / "EXIT1.COM").string());
    ASSERT_FALSE(program.empty()) << buildFailure_;
    const DosRunResult r = Run(program, "y\r\n");
    ExpectFailure(r, "Flashing BIOS ...", kFailUpgrade);
    EXPECT_FALSE(WorkDirLeft());
}

TEST_F(DosUpgrade, ADiskErrorFailsTheStepInsteadOfEndingTheProgram) {
    trap_ = "E";  // DOS's own handler answers Abort, which would end the program mid-step
    const DosRunResult r = Run(container_, "y\r\n");
    ExpectFailure(r, "Extracting files ...", kFailExtract);
    EXPECT_FALSE(WorkDirLeft());
    EXPECT_TRUE(Flashed().empty());
    EXPECT_EQ(DiskChanges(), "");
}

TEST_F(DosUpgrade, CtrlBreakDoesNotStopTheUpgradeAndToolsGetDossOwnHandlers) {
    trap_ = "B";  // DOS's own handler would end the program mid-step
    Switch(vq::testing::kVectorsSwitch);
    const DosRunResult r = Run(container_, "y\r\n");
    EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
    EXPECT_TRUE(Flashed() == image_);
    EXPECT_FALSE(WorkDirLeft());
    // gzip, run after the Ctrl-Break, was handed DOS's handlers, not the program's.
    const Bytes dos = ReadBytes(OnC(vq::testing::kTrapRecord));
    EXPECT_EQ(dos.size(), 8u);
    EXPECT_EQ(ReadBytes(OnC(vq::testing::kVectorsRecord)), dos);
}

// "C:\WORK" and folders of at most 8 characters below it, `length` characters in all.
std::string StartingDirOf(size_t length) {
    std::string dir = "C:\\WORK";
    for (char letter = 'A'; dir.size() < length; ++letter) {
        const size_t left = length - dir.size();
        size_t name = std::min<size_t>(8, left - 1);
        if (left - name - 1 == 1) --name;  // a lone "\" cannot end the path
        dir += '\\';
        dir.append(name, letter);
    }
    return dir;
}

TEST_F(DosUpgrade, AStartingDirectoryTooDeepForTheWorkDirectoryIsRefusedBeforeAnythingIsMade) {
    // 58 is the deepest whose work directory DOS keeps as a current directory ("C:\" and 63).
    for (const size_t length : {58u, 60u, 68u, 74u}) {
        SCOPED_TRACE("starting directory of " + std::to_string(length) + " characters");
        ResetDrive();
        const std::string start = StartingDirOf(length);
        ASSERT_EQ(start.size(), length);
        fs::create_directories(OnC(start.c_str()));
        const DosRunResult r = Run(container_, "y\r\n", start);
        if (length == 58) {
            EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
            EXPECT_TRUE(Flashed() == image_);
        } else {
            ExpectFailure(r, "Extracting files ...", kFailExtract);
            EXPECT_TRUE(Flashed().empty());
        }
        EXPECT_EQ(DiskChanges(), "");
    }
}

TEST_F(DosUpgrade, TheLongestProgramNameDosGivesIsItsOwn) {
    // The deepest folder DOS keeps as a current directory, "\" and an 8.3 name: 79 characters.
    const std::string deepest = StartingDirOf(66);
    for (const auto& [folder, name] : {std::pair{deepest, std::string("VQTESTA.EXE")},
                                       std::pair{deepest, std::string("VQTESTAB.EXE")},
                                       std::pair{StartingDirOf(67), std::string("VQTESTAB.EXE")}}) {
        const size_t length = folder.size() + 1 + name.size();
        SCOPED_TRACE("program name of " + std::to_string(length) + " characters");
        ResetDrive();
        const DosRunResult r = Run(container_, "y\r\n", "C:\\WORK", folder, name);
        if (length <= 79) {
            EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
            EXPECT_TRUE(Flashed() == image_);
            EXPECT_EQ(DiskChanges(), "");
        } else {
            // DOS itself will not start it.
            EXPECT_FALSE(r.screen.Line(kTitleRow, kTitle, kYellow)) << r.screen.Dump();
            EXPECT_EQ(DiskChanges(), "");
        }
    }
}

TEST_F(DosUpgrade, ALeftoverThatIsNotPlainFilesOrHoldsTheProgramIsRefusedUntouched) {
    const fs::path old = drive_ / "WORK" / "VQPTEMP";
    const auto refused = [this](const DosRunResult& r) {
        ExpectFailure(r, "Extracting files ...", kFailExtract);
        EXPECT_TRUE(r.screen.Line(kFailureRow + 1, vq::dos::kFailLeftover, kRed)) << r.screen.Dump();
        EXPECT_EQ(DiskChanges(), "");
        EXPECT_FALSE(fs::exists(OnC(vq::testing::kGzipShot))) << "gzip ran";
    };
    // DOSBox shows every file as plain (no read-only, hidden or system attribute): those are
    // refused by the rule DosLogicTest checks.
    {
        SCOPED_TRACE("a subdirectory beside a file");
        WriteBytes(old / "NOTES.TXT", Bytes(300, 'n'));
        WriteBytes(old / "SUB" / "X.TXT", Bytes(30, 'x'));
        Switch(vq::testing::kShotSwitch);
        refused(Run(container_, "y\r\n"));
    }
    {
        SCOPED_TRACE("the program itself, started from the directory above");
        ResetDrive();
        Switch(vq::testing::kShotSwitch);
        refused(Run(container_, "y\r\n", "C:\\WORK", "C:\\WORK\\VQPTEMP"));
    }
}

TEST_F(DosUpgrade, ACleanUpThatLeavesAFolderAfterAFlashTellsTheFlashAndTheFolderAndKeepsThePowerOn) {
    Switch(vq::testing::kFlashSubdirSwitch);  // the flash tool leaves a folder where it ran
    const DosRunResult r = Run(container_, "y\r\n");
    EXPECT_TRUE(Flashed() == image_);
    // The firmware is written: that first, with the jumper instruction; then that the user switches
    // off, and the folder to delete before that. No power-off was tried: no line says it came back.
    EXPECT_EQ(r.exitCode, vq::dos::kExitDone);
    ExpectHeading(r.screen);
    EXPECT_TRUE(r.screen.Line(kWarningRow, kWarning, kBlinkRed)) << r.screen.Dump();
    EXPECT_TRUE(r.screen.Line(kStatusRow, "Upgrade Complete. Please remove the ME_UNLOCK jumper and clear the CMOS", kGreen))
        << r.screen.Dump();
    EXPECT_TRUE(r.screen.Line(kStatusRow + 1, vq::dos::kStatusSwitchOffYourself, kGreen)) << r.screen.Dump();
    EXPECT_TRUE(r.screen.Line(kFailureRow, "Fail to remove temporary files. Please delete VqPTemp.", kRed)) << r.screen.Dump();
    EXPECT_EQ(r.screen.Row(kFailureRow + 1), "") << r.screen.Dump();
    ASSERT_TRUE(WorkDirLeft());
    // The files went; the folder, which the clean-up does not enter, is what the user deletes.
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(FindNoCase(drive_ / "WORK", "VqPTemp"))) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{vq::testing::kFlashSubdirName});
}

TEST_F(DosUpgrade, ARerunOverTheLeftoverOfARunCutShortWhileFlashingEmptiesItAndCompletes) {
    // What such a run leaves: its entries, written read-only, beside the files gzip and the flash
    // tool made. A mounted folder shows no attributes, so the leftover lies on a FAT disk image,
    // mounted as D:; the answer, the switches and the doubles' records stay on C:.
    FatDisk disk(drive_.string() + "-D.img");
    otherDrive_ = disk.Image();
    Bytes staleImage = image_;  // an earlier download's image, which the flash double would accept
    staleImage[4096] ^= 0xFF;
    const auto leave = [&](bool withForeignFile) {
        ASSERT_TRUE(disk.Make() && disk.MakeDir("WORK/VQPTEMP") && disk.MakeDir("BIN")) << disk.why();
        for (int i : {0, 1, 2, 5, 6, 7, 8, 9, 10})
            ASSERT_TRUE(disk.Put("WORK/VQPTEMP/VQEXT_" + std::to_string(i), Bytes(7, 'o'), "+r")) << disk.why();
        ASSERT_TRUE(disk.Put("WORK/VQPTEMP/BIOS.BIN", staleImage) &&
                    disk.Put("WORK/VQPTEMP/FLASH.EXE", ReadBytes(VQ_DOS_DOUBLES "/FLASH.EXE")) &&
                    disk.Put("WORK/VQPTEMP/FPARTS.TXT", ReadBytes(VQ_FPARTS)) &&
                    disk.Put("WORK/VQPTEMP/OUTPUT", Bytes{'o', 'l', 'd'}) && disk.Put("BIN/" + std::string(kProgramName), container_))
            << disk.why();
        if (withForeignFile) {
            ASSERT_TRUE(disk.Put("WORK/VQPTEMP/NOTES.TXT", Bytes(300, 'n'), "+r")) << disk.why();
        }
        ASSERT_NE(disk.Attributes().find("R     ::/WORK/VQPTEMP/VQEXT_0\n"), std::string::npos) << disk.Attributes();
    };
    const auto rerun = [&] {
        WriteBytes(drive_ / "ANSWER.TXT", Bytes{'y', '\r', '\n'});
        const DosRunResult r =
            RunInDosbox(drive_, {"D:", "cd \\WORK", "D:\\BIN\\" + std::string(kProgramName) + " < C:\\ANSWER.TXT"}, disk.Image());
        EXPECT_TRUE(r.ran) << r.log;
        return r;
    };
    {
        SCOPED_TRACE("the program's own names, read-only or not");
        leave(false);
        const DosRunResult r = rerun();
        EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
        EXPECT_TRUE(Flashed() == image_) << "the flash tool did not get the container's image";
        EXPECT_FALSE(disk.Exists("WORK/VQPTEMP")) << disk.Attributes();
    }
    {
        SCOPED_TRACE("beside them, a read-only file of another name");
        ResetDrive();
        leave(true);
        const std::string before = disk.Listing() + disk.Attributes();
        const DosRunResult r = rerun();
        ExpectFailure(r, "Extracting files ...", kFailExtract);
        EXPECT_TRUE(r.screen.Line(kFailureRow + 1, vq::dos::kFailLeftover, kRed)) << r.screen.Dump();
        EXPECT_EQ(disk.Listing() + disk.Attributes(), before) << "the disk changed";
        EXPECT_TRUE(Flashed().empty());
    }
}

// A signed release: the DOS program in front of a Windows image (SIGNABLE.EXE), the container
// behind it, signed by osslsigncode. Its bytes are checked against the signature before the
// work directory is made.
class DosSignedRelease : public DosUpgrade {
protected:
    static Bytes Signed() {
        const Bytes plain = Build(VQ_DOS_DOUBLES "/FLASH.EXE", VQ_SIGNABLE_PE);
        if (plain.empty()) return {};
        const fs::path in = inputs_ / "UNSIGNED.EXE", out = inputs_ / "SIGNED.EXE";
        WriteBytes(in, plain);
        const std::string cmd = "'" VQ_SIGN_THROWAWAY "' '" + in.string() + "' '" + out.string() + "'";
        if (system(cmd.c_str()) != 0) return {};
        entry1_ = (plain[plain.size() - 4] | plain[plain.size() - 3] << 8 | plain[plain.size() - 2] << 16) +
                  12 + 8;  // C, then the header and entry 1's record
        return ReadBytes(out);
    }
    static inline size_t entry1_ = 0;
};

TEST_F(DosSignedRelease, RunsWhenIntactAndIsRefusedBeforeAnythingIsMadeWhenNot) {
    const Bytes program = Signed();
    ASSERT_FALSE(program.empty()) << "could not build and sign the release: " << buildFailure_;
    {
        SCOPED_TRACE("as signed");
        const DosRunResult r = Run(program, "y\r\n");
        EXPECT_EQ(r.exitCode, 1) << r.screen.Dump();
        EXPECT_TRUE(Flashed() == image_);
        EXPECT_EQ(DiskChanges(), "");
    }
    // One byte of the DOS gzip (entry 1, stored as it is: no CRC of its own would catch it), and
    // a signature that is not PKCS#7 SignedData (the table's wCertificateType).
    Bytes gzipChanged = program, notPkcs7 = program;
    gzipChanged[entry1_ + 100] ^= 0x01;
    const uint32_t pe = vq::ReadLE32(&program[vq::kLfanewOffset]);
    const size_t entryAt = pe + vq::kOptionalHeaderOffset + vq::kPe32DataDirectories +
                           vq::kSecurityDirectory * vq::kDataDirectorySize;  // PE32
    const size_t table = vq::ReadLE32(&program[entryAt]);
    ASSERT_LT(table + vq::kWinCertHeaderSize, program.size());
    ASSERT_EQ(notPkcs7[table + vq::kWinCertTypeOffset], vq::kWinCertTypePkcsSignedData);
    notPkcs7[table + vq::kWinCertTypeOffset] = 1;
    // The digest's algorithm made SHA-384, or nonsense (its identifier's first byte 00) beside the
    // changed byte: an algorithm the check does not know must not switch it off. The digest's
    // identifier is the second SHA-256 one, after the one in digestAlgorithms.
    const Bytes sha256Oid = [] {
        Bytes oid{vq::der::kOid, uint8_t(sizeof vq::der::kOidSha256)};
        oid.insert(oid.end(), std::begin(vq::der::kOidSha256), std::end(vq::der::kOidSha256));
        return oid;
    }();
    auto oid = std::search(program.begin() + ptrdiff_t(table), program.end(), sha256Oid.begin(), sha256Oid.end());
    ASSERT_NE(oid, program.end());
    oid = std::search(oid + 1, program.end(), sha256Oid.begin(), sha256Oid.end());
    ASSERT_NE(oid, program.end());
    const size_t digestOid = size_t(oid - program.begin());
    Bytes sha384 = program, nonsense = gzipChanged;
    sha384[digestOid + sha256Oid.size() - 1] = 0x02;
    nonsense[digestOid + 2] = 0x00;
    for (const auto& [what, bad] : {std::pair{"a byte of the DOS gzip changed", &gzipChanged},
                                    std::pair{"a signature that is not PKCS#7", &notPkcs7},
                                    std::pair{"a SHA-384 digest", &sha384},
                                    std::pair{"a digest algorithm damaged beside the changed byte", &nonsense}}) {
        SCOPED_TRACE(what);
        ResetDrive();
        Switch(vq::testing::kShotSwitch);  // a tool that runs leaves its screen behind
        const DosRunResult r = Run(*bad, "y\r\n");
        ExpectFailure(r, "Extracting files ...", kFailExtract);
        EXPECT_EQ(DiskChanges(), "") << "something was made or changed";
        EXPECT_FALSE(fs::exists(OnC(vq::testing::kGzipShot))) << "gzip ran";
        EXPECT_TRUE(Flashed().empty()) << "the flash tool ran";
    }
}

}  // namespace
}  // namespace vq::test
