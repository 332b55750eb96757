// Test double of the Windows gzip tool: " -df *.gz" in the current directory, decompressed for real.
//
// Each "*.gz" file must be one whole gzip member: zlib checks the header, the deflate data, the
// CRC32 and ISIZE. A good member becomes the file named without ".gz" and the ".gz" is deleted;
// a bad one leaves no output, keeps its ".gz" and makes the exit code nonzero.
//
// Where the test names a record folder (VQ_TEST_FLASH_DIR), gzip.log there gets a line
// "start <ms>" when it starts and "done <ms> <exit code>" when it ends after checking its arguments.
#include <windows.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "testing/win/DoubleSupport.h"

namespace {

using vq::testing::SettingNumber;
using vq::testing::Print;

constexpr const char* kExpectedArguments = " -df *.gz";  // what the upgrade passes, nothing else
constexpr const char* kPattern = "*.gz";
constexpr const char* kSuffix = ".gz";
constexpr size_t kSuffixLength = 3;
constexpr const char* kSettingExit = "VQ_TEST_GZIP_EXIT";  // test-only: exit with this code at once
constexpr const char* kSettingMs = "VQ_TEST_GZIP_MS";      // test-only: wait this long before unpacking
constexpr size_t kMaxOutput = 256u << 20;              // refuse members that would unpack beyond this

constexpr int kExitOk = 0;
constexpr int kExitBadMember = 1;  // also: nothing matched "*.gz"
constexpr int kExitBadArguments = 2;
constexpr int kExitIoFailure = 3;

bool EndsWithGz(const std::string& name) {
    return name.size() > kSuffixLength &&
           lstrcmpiA(name.c_str() + name.size() - kSuffixLength, kSuffix) == 0;
}

// One gzip member, nothing before or after it.
bool Gunzip(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
    z_stream zs{};
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) {  // 16: gzip wrapper only, no zlib or raw
        return false;
    }
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = uInt(in.size());
    out.assign(in.size() * 2 + 64, 0);
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (zs.total_out == out.size()) {
            if (out.size() >= kMaxOutput) {
                break;
            }
            out.resize(out.size() * 2);
        }
        zs.next_out = out.data() + zs.total_out;
        zs.avail_out = uInt(out.size() - zs.total_out);
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_BUF_ERROR && zs.avail_out == 0) {
            rc = Z_OK;  // only the output was full
        }
    }
    // Z_STREAM_END comes only after zlib has checked CRC32 and ISIZE against the data.
    const bool ok = rc == Z_STREAM_END && zs.avail_in == 0;
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return ok;
}

// Returns the exit code this member contributes.
int DecompressOne(const std::string& gzName) {
    std::vector<uint8_t> packed;
    if (!vq::testing::ReadWholeFile(gzName, packed)) {
        return kExitIoFailure;
    }
    std::vector<uint8_t> plain;
    if (!Gunzip(packed, plain)) {
        return kExitBadMember;
    }
    const std::string outName = gzName.substr(0, gzName.size() - kSuffixLength);
    if (!vq::testing::WriteWholeFile(outName, plain.data(), plain.size())) {
        return kExitIoFailure;
    }
    return DeleteFileA(gzName.c_str()) ? kExitOk : kExitIoFailure;
}

std::string gRecord;  // gzip.log in the record folder, or "" when there is none

int Done(int exitCode) {
    if (!gRecord.empty()) {
        vq::testing::AppendLine(gRecord, "done\t" + std::to_string(vq::testing::EpochMs()) + "\t" +
                                             std::to_string(exitCode));
    }
    return exitCode;
}

}  // namespace

int main() {
    FreeConsole();  // a console host would keep the work directory busy after we end
    if (vq::testing::SettingText(vq::testing::kSettingFlashDir, gRecord)) {
        gRecord += "\\gzip.log";
        vq::testing::AppendLine(gRecord, "start\t" + std::to_string(vq::testing::EpochMs()));
    }
    unsigned long forced = 0;
    if (SettingNumber(kSettingExit, forced)) {
        Print(STD_ERROR_HANDLE, "gzipw: told to fail with " + std::to_string(forced));
        return int(forced);
    }
    if (lstrcmpA(GetCommandLineA(), kExpectedArguments) != 0) {
        return kExitBadArguments;
    }
    if (SettingNumber(kSettingMs, forced)) {
        Sleep(DWORD(forced));
    }

    // Collect first: the directory changes while members are unpacked.
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(kPattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                EndsWithGz(found.cFileName)) {
                names.push_back(found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (names.empty()) {
        return Done(kExitBadMember);
    }
    int exitCode = kExitOk;
    for (const std::string& name : names) {
        const int rc = DecompressOne(name);
        if (rc == kExitOk) {
            Print(STD_OUTPUT_HANDLE, "gzipw: " + name + ": OK");
        } else {
            Print(STD_ERROR_HANDLE, "gzipw: " + name + ": failed with " + std::to_string(rc));
        }
        if (rc != kExitOk && exitCode == kExitOk) {
            exitCode = rc;
        }
    }
    return Done(exitCode);
}
