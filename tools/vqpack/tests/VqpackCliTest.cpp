// vqpack as a release engineer runs it: build, list, extract and verify round trips, exit codes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "payload/PayloadEntries.h"
#include "payload/SignedDigest.h"
#include "tests/host/payload/ContainerSamples.h"
#include "tools/vqpack/GzipMember.h"

namespace vq::test {
namespace {

namespace fs = std::filesystem;

const char* const kInputs[] = {"gzip.exe",    "gzipw.exe",      "fparts.txt", "fpt.exe",
                               "fptw.exe",    "fptw64.exe",     "idrvdll.DLL", "idrvdll32e.DLL",
                               "pmxdll.DLL",  "pmxdll32e.DLL",  "BIOS.bin"};

void Write(const fs::path& p, const Bytes& b) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string Text(const fs::path& p) {
    const Bytes b = Read(p);
    return std::string(b.begin(), b.end());
}

Bytes FlashImageBytes(bool signature) {
    Bytes b = Pattern(4194304, 9);
    const uint8_t sig[] = {0x5A, 0xA5, 0xF0, 0x0F};
    if (signature) std::copy(sig, sig + 4, b.begin() + 16);
    return b;
}

class VqpackCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("vqpack-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs vqpack with args (already quoted where needed) in the test's directory;
    // prefix: shell commands that go before it, as a limit on what it may use.
    int Run(const std::string& args, const std::string& prefix = "") {
        const std::string cmd = "cd '" + dir_.string() + "' && " + prefix + "'" VQPACK_PATH "' " + args +
                                " >stdout.txt 2>stderr.txt";
        const int status = system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() { return Text(dir_ / "stdout.txt"); }
    // Temporary files vqpack left in the test's directory.
    std::string Leftovers() {
        std::string names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            const std::string name = e.path().filename().string();
            if (name.find(".vqpack-") != std::string::npos) names += name + " ";
        }
        return names;
    }
    std::string Err() { return Text(dir_ / "stderr.txt"); }

    // Inputs like the shipped payload's, small except for the flash image.
    void MakeInputs(bool flashSignature = true) {
        Write(dir_ / "image.exe", Pattern(3000, 0));
        for (size_t i = 0; i + 1 < std::size(kInputs); ++i)
            Write(dir_ / kInputs[i], Pattern(200 + 150 * i, uint8_t(i + 1)));
        Write(dir_ / "BIOS.bin", FlashImageBytes(flashSignature));
    }

    // The eleven inputs in entry order, each entry named in `instead` given as its argument there.
    static std::string Entries(const std::map<size_t, std::string>& instead = {}) {
        std::string s;
        for (size_t i = 1; i <= std::size(kInputs); ++i) {
            const auto other = instead.find(i);
            s += " " + (other != instead.end() ? other->second : std::string(kInputs[i - 1]));
        }
        return s;
    }
    std::string AllEntries() { return Entries(); }

    int Build(const std::string& out, const std::string& extra = "") {
        return Run("build --image image.exe --out " + out + " " + extra + AllEntries());
    }

    fs::path dir_;
};

TEST_F(VqpackCli, BuildThenVerifyListAndExtract) {
    MakeInputs();
    ASSERT_EQ(Run("build --image image.exe --out Vorquint.exe --mtime 2012-02-07T10:03:48Z gzip.exe "
                  "gzipw.exe fparts.txt:fparts.txt:2012-02-07T08:44:58Z fpt.exe fptw.exe fptw64.exe "
                  "idrvdll.DLL idrvdll32e.DLL pmxdll.DLL pmxdll32e.DLL BIOS.bin"),
              0)
        << Err();
    EXPECT_EQ(Run("verify Vorquint.exe"), 0) << Err();

    ASSERT_EQ(Run("list Vorquint.exe"), 0) << Err();
    const std::string table = Out();
    EXPECT_NE(table.find("image size C  3000"), std::string::npos) << table;
    EXPECT_NE(table.find("fparts.txt      2012-02-07T08:44:58Z"), std::string::npos) << table;
    EXPECT_NE(table.find("BIOS.bin        2012-02-07T10:03:48Z"), std::string::npos) << table;
    EXPECT_NE(table.find("4194304"), std::string::npos) << table;

    ASSERT_EQ(Run("list Vorquint.exe --json"), 0) << Err();
    const std::string json = Out();
    EXPECT_NE(json.find("\"entryCount\": 12"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"index\": 1, \"name\": \"GZip.exe\", \"offset\": 3020, \"length\": 200}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"storedName\": \"BIOS.bin\", \"mtime\": \"2012-02-07T10:03:48Z\""),
              std::string::npos)
        << json;

    ASSERT_EQ(Run("extract Vorquint.exe out"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "out" / "Vorquint.exe"), Read(dir_ / "image.exe"));
    EXPECT_EQ(Read(dir_ / "out" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    EXPECT_EQ(Read(dir_ / "out" / "GZipW.exe"), Read(dir_ / "gzipw.exe"));
    for (uint32_t i = 3; i < kPayloadEntryCount; ++i) {
        const Bytes member = Read(dir_ / "out" / kPayloadFileNames[i]);
        const Bytes plain = Read(dir_ / kInputs[i - 1]);
        GzipContents c;
        EXPECT_TRUE(CheckGzipMember(member.data(), member.size(), c).empty()) << kPayloadFileNames[i];
        EXPECT_EQ(c.Size, plain.size());
        EXPECT_EQ(c.Crc32, crc32(0, plain.data(), static_cast<uInt>(plain.size()))) << kPayloadFileNames[i];
    }

    ASSERT_EQ(Run("extract Vorquint.exe dos --numbered"), 0) << Err();
    for (uint32_t i = 0; i < kPayloadEntryCount; ++i)
        EXPECT_EQ(Read(dir_ / "dos" / ("VQExt_" + std::to_string(i))), Read(dir_ / "out" / kPayloadFileNames[i]));
}

// gzip stores names in ISO 8859-1: a name typed in UTF-8 goes in converted, or not at all, and
// comes back out as the same UTF-8. A stored name comes from whoever made the member; its
// control characters must not reach the terminal raw, in the table or in JSON.
TEST_F(VqpackCli, StoredNamesAreIso88591AndShownSafely) {
    MakeInputs();
    ASSERT_EQ(Run("build --image image.exe --out o.exe" +
                  Entries({{3, "'fparts.txt:a\x1b[2Jb\tc'"}, {11, "'BIOS.bin:BIOS v2 \xc3\xbc.bin'"}})),
              0)
        << Err();
    const Bytes file = Read(dir_ / "o.exe");
    const Bytes latin1 = {'B', 'I', 'O', 'S', ' ', 'v', '2', ' ', 0xFC, '.', 'b', 'i', 'n', 0};
    EXPECT_NE(std::search(file.begin(), file.end(), latin1.begin(), latin1.end()), file.end());
    ASSERT_EQ(Run("list o.exe"), 0) << Err();
    EXPECT_NE(Out().find("  a\\u001b[2Jb\\u0009c "), std::string::npos) << Out();
    EXPECT_NE(Out().find("  BIOS v2 \xc3\xbc.bin   2012-01-01T00:00:00Z"), std::string::npos) << Out();
    EXPECT_EQ(Out().find_first_of("\x1b\t"), std::string::npos) << Out();
    ASSERT_EQ(Run("list o.exe --json"), 0) << Err();
    EXPECT_NE(Out().find("\"storedName\": \"a\\u001b[2Jb\\u0009c\""), std::string::npos) << Out();
    EXPECT_NE(Out().find("\"storedName\": \"BIOS v2 \xc3\xbc.bin\""), std::string::npos) << Out();

    // A name ISO 8859-1 cannot hold, and bytes that are no UTF-8, are refused by name.
    EXPECT_EQ(Run("build --image image.exe --out euro.exe" + Entries({{11, "'BIOS.bin:BIOS \xe2\x82\xac.bin'"}})), 2);
    EXPECT_NE(Err().find("'\xe2\x82\xac' (U+20AC) in 'BIOS \xe2\x82\xac.bin' has no ISO 8859-1 form"),
              std::string::npos)
        << Err();
    EXPECT_EQ(Run("build --image image.exe --out raw.exe" + Entries({{11, "'BIOS.bin:BIOS \xfc.bin'"}})), 2);
    EXPECT_NE(Err().find("is not UTF-8 text"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir_ / "euro.exe") || fs::exists(dir_ / "raw.exe"));
}

TEST_F(VqpackCli, SameInputsGiveTheSameBytes) {
    MakeInputs();
    ASSERT_EQ(Build("a.exe"), 0) << Err();
    ASSERT_EQ(Build("b.exe"), 0) << Err();
    ASSERT_EQ(Build("c.exe", "--mtime 1"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "a.exe"), Read(dir_ / "b.exe"));
    EXPECT_NE(Read(dir_ / "a.exe"), Read(dir_ / "c.exe"));
}

// A drive letter's colon belongs to the path; only the colons after it split off NAME and TIME.
// Here, where '\\' is no separator, such a path is one file in the working directory. A path with
// a colon elsewhere is given with another separator.
TEST_F(VqpackCli, PathsWithColons) {
    MakeInputs();
    const std::string gzip = "C:\\dir\\GZip.exe", parts = "C:\\dir\\fparts.txt", bios = "bios 2024-05-01T10:00.bin";
    fs::copy_file(dir_ / "gzip.exe", dir_ / gzip);
    fs::copy_file(dir_ / "fparts.txt", dir_ / parts);
    fs::copy_file(dir_ / "BIOS.bin", dir_ / bios);
    ASSERT_EQ(Run("build --image image.exe --out o.exe" +
                  Entries({{1, "'" + gzip + "'"}, {3, "'" + parts + ":fparts.txt:2012-02-07T08:44:58Z'"}})),
              0)
        << Err();
    ASSERT_EQ(Run("extract o.exe x"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "x" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    ASSERT_EQ(Run("list o.exe"), 0) << Err();
    EXPECT_NE(Out().find("fparts.txt      2012-02-07T08:44:58Z"), std::string::npos) << Out();

    ASSERT_EQ(Run("build --image image.exe --out s.exe --separator '|'" +
                  Entries({{11, "'" + bios + "|BIOS.bin|2012-05-22T11:05:41Z'"}})),
              0)
        << Err();
    ASSERT_EQ(Run("list s.exe"), 0) << Err();
    EXPECT_NE(Out().find("BIOS.bin        2012-05-22T11:05:41Z"), std::string::npos) << Out();
    EXPECT_EQ(Run("build --image image.exe --out t.exe" + Entries({{11, "'" + bios + "'"}})), 1);
    EXPECT_NE(Err().find("bios 2024-05-01T10 does not exist, but " + bios + " does: for a PATH with ':' in it, "
                         "give --separator"),
              std::string::npos)
        << Err();
}

TEST_F(VqpackCli, RawEntriesAreStoredAsGiven) {
    MakeInputs();
    ASSERT_EQ(Build("first.exe"), 0) << Err();
    ASSERT_EQ(Run("extract first.exe x"), 0) << Err();
    ASSERT_EQ(Run("build --image image.exe --out second.exe --raw 11 gzip.exe gzipw.exe fparts.txt fpt.exe "
                  "fptw.exe fptw64.exe idrvdll.DLL idrvdll32e.DLL pmxdll.DLL pmxdll32e.DLL x/Bios.bin.gz"),
              0)
        << Err();
    EXPECT_EQ(Read(dir_ / "first.exe"), Read(dir_ / "second.exe"));
}

// What verify and extract find in a damaged package, and what they say of a file cut short or
// of one that is no package at all.
TEST_F(VqpackCli, DamageIsNamedAndNeverExtracted) {
    MakeInputs();
    ASSERT_EQ(Build("good.exe"), 0) << Err();
    const Bytes good = Read(dir_ / "good.exe");

    Bytes crc = good;
    crc[crc.size() - 4 - 8] ^= 0x10;  // the flash member's stored CRC32, just before the trailer
    Write(dir_ / "crc.exe", crc);
    EXPECT_EQ(Run("verify crc.exe"), 1);
    EXPECT_NE(Err().find("vqpack verify: crc.exe: entry 11 (Bios.bin.gz): CRC32 is"), std::string::npos) << Err();
    EXPECT_EQ(Run("extract crc.exe x"), 1);
    EXPECT_NE(Err().find("vqpack extract: crc.exe: entry 11 (Bios.bin.gz): CRC32 is"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir_ / "x" / "Bios.bin.gz"));

    // Entry 3's data starts after the image, the header and two records with their data.
    const uint32_t entry3 = 3000 + 12 + 8 + 200 + 8 + 350 + 8;
    Bytes flag = good;
    ASSERT_EQ(flag[entry3], 0x1F);
    flag[entry3 + 3] = 0x18;  // FCOMMENT beside FNAME
    Write(dir_ / "flag.exe", flag);
    EXPECT_EQ(Run("verify flag.exe"), 1);
    EXPECT_NE(Err().find("entry 3 (fparts.txt.gz): header flags FLG are 0x18"), std::string::npos) << Err();

    const std::string size = std::to_string(good.size());
    Write(dir_ / "cut.exe", Bytes(good.begin(), good.end() - 1));
    Bytes longer = good;
    longer.insert(longer.end(), {'x', 'y', 'z'});
    Write(dir_ / "longer.exe", longer);
    Write(dir_ / "passwd", Bytes{'r', 'o', 'o', 't', ':', 'x', ':', '0', ':', '0', ':', ':', '/', 'r', 'o', 'o', 't',
                                 ':', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
    // A linked program without a container: its section padding reads as trailer 0.
    Bytes plain = Pattern(3000, 0);
    std::fill(plain.end() - 4, plain.end(), 0);
    Write(dir_ / "plain.exe", plain);
    const std::string notPacked = "not a packed Vorquint.exe: no payload container at its end (";
    const std::pair<std::string, std::string> unreadable[] = {
        {"cut.exe", "cut.exe: cut short: " + std::to_string(good.size() - 1) + " of the " + size +
                        " bytes its container header gives ("},
        {"longer.exe", "longer.exe: 3 bytes follow the container's end at byte " + size + " ("},
        {"passwd", "passwd: " + notPacked + "trailer points outside the file)"},
        {"plain.exe", "plain.exe: " + notPacked + "no \"PQV_\" container header where the trailer points)"},
    };
    for (const auto& [file, says] : unreadable) {
        for (const std::string command : {"verify", "list", "extract"}) {
            EXPECT_EQ(Run(command + " " + file + (command == "extract" ? " y" : "")), 1) << command << " " << file;
            EXPECT_EQ(Err().rfind("vqpack " + command + ": " + says, 0), 0u) << Err();
        }
    }
    EXPECT_FALSE(fs::exists(dir_ / "y"));
}

// A signed package is ok only while its bytes are the ones its signature names, as both faces
// check; a SHA-1 signature, which is not computed, is ok, said to be unchecked; a digest algorithm
// of any other name is a signature that cannot be read.
TEST_F(VqpackCli, SignedBytesAreCheckedAgainstTheSignature) {
    MakeInputs();
    fs::copy_file(VQ_SIGNABLE_PE, dir_ / "image.exe", fs::copy_options::overwrite_existing);
    ASSERT_EQ(Build("plain.exe"), 0) << Err();
    const std::string sign = "'" VQ_SIGN_THROWAWAY "' '" + (dir_ / "plain.exe").string() + "' '" +
                             (dir_ / "signed.exe").string() + "'";
    ASSERT_EQ(system(sign.c_str()), 0);
    EXPECT_EQ(Run("verify signed.exe"), 0) << Err();
    EXPECT_EQ(Out(), "signed.exe: ok\n");

    const Bytes good = Read(dir_ / "signed.exe");
    MemorySource src(good.data(), good.size());
    const uint32_t table = ReadSignedLayout(src, uint32_t(good.size())).Cert.Offset;
    ASSERT_GT(table, 0u);
    // One byte of entry 1, stored as it is: only the signature can tell.
    const size_t entry1Byte = fs::file_size(VQ_SIGNABLE_PE) + kHeaderSize + kRecordSize + 100;
    Bytes changed = good;
    changed[entry1Byte] ^= 0x01;
    // Not a PKCS#7 signature (wCertificateType).
    Bytes unreadable = good;
    unreadable[table + kWinCertTypeOffset] = 1;
    // The signed digest's algorithm made SHA-384, and made nonsense (its first byte 00) with the
    // byte of entry 1 changed: the second SHA-256 identifier in the signature, after the one in
    // digestAlgorithms.
    Bytes sha384 = good;
    Bytes sha256{der::kOid, uint8_t(sizeof der::kOidSha256)};
    sha256.insert(sha256.end(), std::begin(der::kOidSha256), std::end(der::kOidSha256));
    auto oid = std::search(sha384.begin() + table, sha384.end(), sha256.begin(), sha256.end());
    ASSERT_NE(oid, sha384.end());
    oid = std::search(oid + 1, sha384.end(), sha256.begin(), sha256.end());
    ASSERT_NE(oid, sha384.end());
    Bytes nonsense = sha384;
    oid[sha256.size() - 1] = 0x02;
    nonsense[size_t(oid - sha384.begin()) + 2] = 0x00;
    nonsense[entry1Byte] ^= 0x01;
    Write(dir_ / "changed.exe", changed);
    Write(dir_ / "unreadable.exe", unreadable);
    Write(dir_ / "sha384.exe", sha384);
    Write(dir_ / "nonsense.exe", nonsense);
    const std::string signSha1 = "'" VQ_SIGN_THROWAWAY "' '" + (dir_ / "plain.exe").string() + "' '" +
                                 (dir_ / "sha1.exe").string() + "' sha1";
    ASSERT_EQ(system(signSha1.c_str()), 0);

    EXPECT_EQ(Run("verify changed.exe"), 1);
    EXPECT_EQ(Err(), "vqpack verify: changed.exe: the file's bytes are not the ones its signature names: it was "
                     "changed after signing, and both faces refuse it\n");
    EXPECT_EQ(Run("verify unreadable.exe"), 1);
    EXPECT_EQ(Err().rfind("vqpack verify: unreadable.exe: its signature cannot be read: ", 0), 0u) << Err();
    for (const char* name : {"sha384.exe", "nonsense.exe"}) {
        EXPECT_EQ(Run(std::string("verify ") + name), 1) << name;
        EXPECT_EQ(Err(), std::string("vqpack verify: ") + name + ": its signature cannot be read: its digest algorithm "
                         "is neither SHA-256 nor SHA-1, and the DOS face refuses it (sign with SHA-256)\n");
    }
    EXPECT_EQ(Run("verify sha1.exe"), 0) << Err();
    EXPECT_EQ(Out().rfind("sha1.exe: ok, but its signature's digest is SHA-1, so whether its bytes are the "
                          "ones signed was not checked", 0),
              0u)
        << Out();
}

TEST_F(VqpackCli, FailuresLeaveNoOutput) {
    MakeInputs();
    fs::remove(dir_ / "fpt.exe");
    EXPECT_EQ(Build("out.exe"), 1);
    EXPECT_NE(Err().find("fpt.exe"), std::string::npos) << Err();

    MakeInputs();
    ASSERT_EQ(Build("packed.exe"), 0);
    EXPECT_EQ(Run("build --image packed.exe --out out.exe" + AllEntries()), 1);
    EXPECT_NE(Err().find("already carries a payload container"), std::string::npos) << Err();
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    EXPECT_EQ(Leftovers(), "");

    // An existing output stays as it was when a build fails.
    Write(dir_ / "keep.exe", Bytes{1, 2, 3});
    EXPECT_EQ(Run("build --image image.exe --out keep.exe" + Entries({{1, "missing.bin"}})), 1);
    EXPECT_EQ(Read(dir_ / "keep.exe"), (Bytes{1, 2, 3}));

    // The rename over a directory fails: the directory stays and the temporary file goes.
    fs::create_directory(dir_ / "taken.exe");
    EXPECT_EQ(Build("taken.exe"), 1);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.exe"));
    EXPECT_EQ(Leftovers(), "");

    // A folder no file can be made in: a message, and nothing written.
    EXPECT_EQ(Build("no-such-dir/out.exe"), 1);
    EXPECT_NE(Err().find("no-such-dir/out.exe: cannot create a temporary file"), std::string::npos) << Err();

    EXPECT_EQ(Run("list image.exe"), 1);
    EXPECT_EQ(Run("extract image.exe x"), 1);
    EXPECT_FALSE(fs::exists(dir_ / "x"));
    EXPECT_EQ(Run("verify nothing-here.exe"), 1);
}

// Every command that reads refuses what is not a regular file at once, in one message: a FIFO
// with no writer would hold an open until one came, and a socket cannot be opened at all. The
// wait is bounded here, so that an open that waits fails the test rather than hanging it.
TEST_F(VqpackCli, WhatIsNotAFileIsRefusedAtOnce) {
    MakeInputs();
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = (dir_ / "sock").string();
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    strcpy(addr.sun_path, sockPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    fs::create_directory(dir_ / "folder");
    for (const std::string special : {"fifo", "sock", "/dev/null", "folder"}) {
        const std::string readers[] = {
            "verify " + special,
            "list " + special,
            "extract " + special + " x",
            "stub " + special + " image.exe s.exe",
            "stub image.exe " + special + " s.exe",
            "build --image " + special + " --out o.exe" + AllEntries(),
            "build --image image.exe --out o.exe" + Entries({{11, special}}),
        };
        for (const std::string& args : readers) {
            EXPECT_EQ(Run(args, "timeout 10 "), 1) << "vqpack " << args << " (124: it waited)";
            EXPECT_NE(Err().find(special + ": not a regular file\n"), std::string::npos) << args << ": " << Err();
        }
    }
    close(sock);
    EXPECT_FALSE(fs::exists(dir_ / "x") || fs::exists(dir_ / "s.exe") || fs::exists(dir_ / "o.exe"));
}

// Another user's link planted under the name of an output's temporary file is not written through.
TEST_F(VqpackCli, APlantedLinkBesideTheOutputIsNotFollowed) {
    MakeInputs();
    const Bytes theirs{'t', 'h', 'e', 'i', 'r', 's'};
    Write(dir_ / "target", theirs);
    fs::create_directory(dir_ / "x");
    for (const fs::path& link : {dir_ / "out.exe.vqpack-tmp", dir_ / "x" / "GZip.exe.vqpack-tmp"})
        fs::create_symlink(dir_ / "target", link);
    ASSERT_EQ(Build("out.exe"), 0) << Err();
    ASSERT_EQ(Run("extract out.exe x"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "target"), theirs);
    EXPECT_EQ(Read(dir_ / "x" / "GZip.exe"), Read(dir_ / "gzip.exe"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "out.exe.vqpack-tmp"));
}

// The package holds exactly the entries of the payload's table, in its order: any other count,
// or one file for two entries, is refused before anything is read, naming what is missing or
// extra. A package with fewer, made with the format's writer, verify refuses.
TEST_F(VqpackCli, ExactlyTheTablesEntries) {
    MakeInputs();
    const std::string take = "build --image image.exe --out o.exe";
    EXPECT_EQ(Run(take + " gzip.exe gzipw.exe fparts.txt fpt.exe fptw.exe"), 2);
    EXPECT_EQ(Err().rfind("vqpack build: 5 entries given, but the payload takes exactly 11, in order; missing: "
                          "6 fptw64.exe.gz 7 idrvdll.dll.gz 8 idrvdll32e.dll.gz 9 pmxdll.dll.gz 10 pmxdll32e.dll.gz "
                          "11 Bios.bin.gz\n",
                          0),
              0u)
        << Err();
    EXPECT_EQ(Run(take), 2);
    EXPECT_NE(Err().find("0 entries given, but the payload takes exactly 11, in order; missing: 1 GZip.exe 2 "),
              std::string::npos)
        << Err();
    EXPECT_EQ(Run(take + " gzip.exe"), 2);
    EXPECT_NE(Err().find(": 1 entry given,"), std::string::npos) << Err();
    EXPECT_EQ(Run(take + AllEntries() + " BIOS.bin"), 2);
    EXPECT_NE(Err().find("12 entries given, but the payload takes exactly 11, in order; extra: 'BIOS.bin'"),
              std::string::npos)
        << Err();
    fs::create_hard_link(dir_ / "BIOS.bin", dir_ / "bios-again.bin");
    for (const char* again : {"BIOS.bin", "bios-again.bin"}) {
        EXPECT_EQ(Run(take + Entries({{10, again}})), 2) << again;
        EXPECT_NE(Err().find(std::string(again) + " for entry 10 (pmxdll32e.dll.gz) and BIOS.bin for entry 11 "
                                                  "(Bios.bin.gz) are one file; each entry is a file of its own"),
                  std::string::npos)
            << Err();
    }
    EXPECT_FALSE(fs::exists(dir_ / "o.exe"));

    Write(dir_ / "two.exe", MakeContainer(Pattern(3000, 0), {Pattern(200, 1)}));
    EXPECT_EQ(Run("verify two.exe"), 1);
    EXPECT_EQ(Err(), "vqpack verify: two.exe: EntryCount is 2, but the program takes exactly 12 entries (the "
                     "image, GZip.exe .. Bios.bin.gz)\n");
    Write(dir_ / "one.exe", MakeContainer(Pattern(3000, 0), {}));
    EXPECT_EQ(Run("extract one.exe z"), 0) << Err();
    EXPECT_EQ(Out(), "1 file written to z\n");
}

// An output that is one of the inputs, by any name or link, is refused before anything is
// written; so is a read-only one unless --force says so, and then it stays read-only.
TEST_F(VqpackCli, NeverWritesOverAnInput) {
    MakeInputs();
    const Bytes image = Read(dir_ / "image.exe"), bios = Read(dir_ / "BIOS.bin"), gzip = Read(dir_ / "gzip.exe");
    fs::create_directory(dir_ / "sub");
    fs::create_hard_link(dir_ / "gzip.exe", dir_ / "sub" / "hard.exe");
    fs::create_symlink(dir_ / "image.exe", dir_ / "soft.exe");
    const std::pair<std::string, std::string> same[] = {
        {"image.exe", "image.exe"}, {"./sub/../BIOS.bin", "BIOS.bin"}, {"sub/hard.exe", "gzip.exe"}, {"soft.exe", "image.exe"}};
    for (const auto& [out, input] : same) {
        EXPECT_EQ(Build(out), 1) << out;
        EXPECT_EQ(Err(), "vqpack build: " + out + ": this is the input " + input + "; write the result to another file\n");
    }
    EXPECT_EQ(Read(dir_ / "image.exe"), image);
    EXPECT_EQ(Read(dir_ / "BIOS.bin"), bios);
    EXPECT_EQ(Read(dir_ / "gzip.exe"), gzip);
    EXPECT_TRUE(fs::is_symlink(dir_ / "soft.exe"));
    EXPECT_EQ(Leftovers(), "");

    ASSERT_EQ(Build("Vorquint.exe"), 0) << Err();
    const Bytes packed = Read(dir_ / "Vorquint.exe");
    EXPECT_EQ(Run("extract Vorquint.exe ."), 1);
    EXPECT_NE(Err().find("./Vorquint.exe: this is the input Vorquint.exe"), std::string::npos) << Err();
    EXPECT_EQ(Read(dir_ / "Vorquint.exe"), packed);
    EXPECT_FALSE(fs::exists(dir_ / "GZipW.exe"));
    EXPECT_EQ(Run("stub gzip.exe image.exe soft.exe"), 1);
    EXPECT_NE(Err().find("soft.exe: this is the input image.exe"), std::string::npos) << Err();

    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    Write(dir_ / "ro.exe", Bytes{1, 2, 3});
    fs::permissions(dir_ / "ro.exe", readOnly);
    EXPECT_EQ(Build("ro.exe"), 1);
    EXPECT_EQ(Err(), "vqpack build: ro.exe: the file is read-only; give --force to replace it\n");
    EXPECT_EQ(Read(dir_ / "ro.exe"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Build("ro.exe", "--force"), 0) << Err();
    EXPECT_EQ(Read(dir_ / "ro.exe"), packed);
    EXPECT_EQ(fs::status(dir_ / "ro.exe").permissions() & fs::perms::all, readOnly);
}

// Inputs that could only make a package the program refuses, or one no package can hold, are
// refused; sizes from what the file system says, before anything is read.
TEST_F(VqpackCli, RefusesWhatCannotWork) {
    MakeInputs();
    // Signed before packing: in stub's words.
    Bytes signedImage = PeImage(false);
    Put32(signedImage, SecurityEntryAt(false), uint32_t(signedImage.size()));
    Put32(signedImage, SecurityEntryAt(false) + 4, kSignedTableSize);
    const Bytes table = Pattern(kSignedTableSize, 7);
    signedImage.insert(signedImage.end(), table.begin(), table.end());
    Write(dir_ / "signed.exe", signedImage);
    Bytes dos(64, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    Write(dir_ / "dos.exe", dos);
    EXPECT_EQ(Run("stub dos.exe signed.exe s.exe"), 1);
    const std::string stubSays = Err();
    EXPECT_EQ(Run("build --image signed.exe --out o.exe" + AllEntries()), 1);
    const std::string words = "signed.exe: the image carries a certificate table";
    EXPECT_EQ(stubSays.rfind("vqpack stub: " + words, 0), 0u) << stubSays;
    EXPECT_EQ(Err(), "vqpack build: " + stubSays.substr(strlen("vqpack stub: "))) << Err();
    // stub blames the input at fault.
    EXPECT_EQ(Run("stub image.exe signed.exe s.exe"), 1);
    EXPECT_EQ(Err(), "vqpack stub: image.exe: the DOS program is not an MZ file\n");

    // What verify would refuse is never written.
    MakeInputs(false);
    EXPECT_EQ(Build("nosig.exe"), 1);
    EXPECT_EQ(Err(), "vqpack build: entry 11 (Bios.bin.gz): flash image lacks the descriptor signature 5A A5 F0 0F "
                     "at offset 16\nvqpack build: nosig.exe: not written\n");
    MakeInputs();

    // With half a gigabyte of address space vqpack could not even hold what it would read.
    { std::ofstream(dir_ / "huge.bin"); }
    fs::resize_file(dir_ / "huge.bin", 0x7FFFFFFFu - 1000);
    const std::string limit = "ulimit -v 524288 && ";
    EXPECT_EQ(Run("build --image huge.bin --out o.exe" + AllEntries(), limit), 1);
    EXPECT_EQ(Err().rfind("vqpack build: the inputs make at least 21474", 0), 0u) << Err();
    EXPECT_NE(Err().find(" bytes; 2 GiB is the limit\n"), std::string::npos) << Err();
    EXPECT_EQ(Run("build --image image.exe --out o.exe" + Entries({{11, "huge.bin"}}), limit), 1);
    EXPECT_EQ(Err(), "vqpack build: huge.bin: 2147482647 bytes, but the flash image is 4194304\n");
    EXPECT_FALSE(fs::exists(dir_ / "o.exe"));
}

// A build ended by a signal while it writes takes its temporary file with it.
TEST_F(VqpackCli, ASignalLeavesNoTemporaryFile) {
    MakeInputs();
    { std::ofstream(dir_ / "big.exe"); }
    fs::resize_file(dir_ / "big.exe", 96u << 20);  // long enough to write that the signal lands in it
    std::vector<std::string> args = {"vqpack", "build", "--image", "big.exe", "--out", "o.exe"};
    for (const char* in : kInputs) args.push_back(in);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
            if (chdir(dir_.c_str()) != 0) _exit(126);
            execv(VQPACK_PATH, argv.data());
            _exit(127);
        }
        bool seen = false;
        for (int i = 0; i < 400000 && !seen; ++i) {
            seen = !Leftovers().empty();
            if (!seen) usleep(25);
        }
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(seen) << "no temporary file seen before signal " << sig;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "signal " << sig << ", status " << status;
        EXPECT_EQ(Leftovers(), "") << "signal " << sig;
        EXPECT_FALSE(fs::exists(dir_ / "o.exe")) << "signal " << sig;
    }
}

// A usage error says what is wrong, then points to the command's --help in one more line.
TEST_F(VqpackCli, UsageErrorsSayWhyAndPointToHelp) {
    MakeInputs();
    const std::string all = AllEntries(), take = "build --image image.exe --out o.exe";
    const std::pair<std::string, std::string> bad[] = {
        {"", "vqpack: no command given"},
        {"frobnicate", "vqpack: unknown command 'frobnicate'"},
        {"build --out o.exe" + all, "vqpack build: --image is needed"},
        {"build --image image.exe" + all, "vqpack build: --out is needed"},
        {take + " --image image.exe" + all, "vqpack build: --image given twice"},
        {take + " --raw 12" + all, "vqpack build: --raw wants an entry number 1 to 11"},
        {take + " --mtime yesterday" + all, "vqpack build: --mtime 'yesterday' is not a time"},
        {take + Entries({{1, "gzip.exe:GZIP.EXE"}}),
         "vqpack build: entry 1 (GZip.exe) is stored byte for byte; NAME and TIME do not apply"},
        {take + Entries({{3, "fparts.txt::2012-99-01T00:00:00"}}),
         "vqpack build: entry 3 (fparts.txt.gz): '2012-99-01T00:00:00' is not a time"},
        // MTIME 0 is gzip's "no time stored": every member must carry one.
        {take + " --mtime 0" + all, "vqpack build: --mtime '0' is not a time"},
        {take + Entries({{3, "fparts.txt::1970-01-01T00:00:00Z"}}),
         "vqpack build: entry 3 (fparts.txt.gz): '1970-01-01T00:00:00Z' is not a time"},
        {take + " --bogus" + all, "vqpack build: unknown option '--bogus'"},
        {take + " --raw", "vqpack build: --raw needs a value"},
        {take + " --separator ab" + all, "vqpack build: --separator wants one character"},
        {"list", "vqpack list: no FILE given"},
        {"list a b", "vqpack list: more than one FILE given"},
        {"list x --yaml", "vqpack list: unknown option '--yaml'"},
        {"verify", "vqpack verify: no FILE given"},
        {"extract image.exe", "vqpack extract: FILE and DIR are both needed"},
        {"extract a b c", "vqpack extract: too many arguments"},
        {"stub only-two args", "vqpack stub: stub takes DOSPROG PE_IN PE_OUT"},
    };
    for (const auto& [args, why] : bad) {
        EXPECT_EQ(Run(args), 2) << "vqpack " << args;
        const std::string command = why.substr(0, why.find(':'));
        EXPECT_EQ(Err(), why + "\nTry '" + command + " --help'.\n") << "vqpack " << args;
    }
    EXPECT_FALSE(fs::exists(dir_ / "o.exe"));

    for (const char* help : {"--help", "build --help", "list --help", "verify --help", "extract --help", "stub --help"}) {
        EXPECT_EQ(Run(help), 0) << help;
        EXPECT_NE(Out().find("usage: vqpack"), std::string::npos) << help;
    }
}

}  // namespace
}  // namespace vq::test
