// A FAT hard-disk image for DOSBox, through mtools.
#include "tests/dos/FatDisk.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <sstream>

namespace vq::test {
namespace {

namespace fs = std::filesystem;

// The geometry DOSBox's imgmount assumes for a hard-disk image it is given no size for.
constexpr uint32_t kHeads = 16, kSectorsPerTrack = 63, kSectorBytes = 512;
constexpr uint32_t kCylinders = 40;  // 20 MiB: room for two flash images and what gzip makes
constexpr uint32_t kTotalSectors = kCylinders * kHeads * kSectorsPerTrack;
constexpr uint32_t kFirstSector = kSectorsPerTrack;  // the partition starts on the second track
constexpr uint8_t kFat16Under32MiB = 0x04;

void PutLE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

std::string FatDisk::Drive() const { return image_.string() + "@@" + std::to_string(kFirstSector * kSectorBytes); }

bool FatDisk::Run(const std::string& args, std::string* out) const {
    // Skip mtools' check of the geometry against the drive's: an image has none of its own.
    const std::string cmd = "MTOOLS_SKIP_CHECK=1 MTOOLS_NO_VFAT=1 " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return why_ = "cannot run " + cmd, false;
    std::string said;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) said.append(buf, n);
    const int status = pclose(p);
    if (out != nullptr) *out = said;
    if (status != 0) return why_ = cmd + " failed (" + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "): " + said, false;
    return true;
}

bool FatDisk::Make() {
    Bytes disk(size_t(kTotalSectors) * kSectorBytes);
    // The master boot record: one active partition from the second track to the end.
    const size_t entry = 446;
    disk[entry] = 0x80;
    disk[entry + 1] = 1, disk[entry + 2] = 1, disk[entry + 3] = 0;  // CHS of the first sector
    disk[entry + 4] = kFat16Under32MiB;
    disk[entry + 5] = 0xFE, disk[entry + 6] = 0xFF, disk[entry + 7] = 0xFF;
    PutLE32(disk, entry + 8, kFirstSector);
    PutLE32(disk, entry + 12, kTotalSectors - kFirstSector);
    disk[510] = 0x55, disk[511] = 0xAA;
    WriteBytes(image_, disk);
    return Run("mformat -i " + Quoted(Drive()) + " -T " + std::to_string(kTotalSectors - kFirstSector) + " -h " +
               std::to_string(kHeads) + " -s " + std::to_string(kSectorsPerTrack) + " -H " +
               std::to_string(kFirstSector) + " ::");
}

bool FatDisk::MakeDir(const std::string& path) {
    std::string sofar;
    std::istringstream names(path);
    for (std::string name; std::getline(names, name, '/');) {
        sofar += (sofar.empty() ? "" : "/") + name;
        if (!Exists(sofar) && !Run("mmd -i " + Quoted(Drive()) + " " + Quoted("::" + sofar))) return false;
    }
    return true;
}

bool FatDisk::Put(const std::string& path, const Bytes& data, const std::string& attrs) {
    const fs::path from = image_.string() + ".put";
    WriteBytes(from, data);
    const bool ok = Run("mcopy -o -i " + Quoted(Drive()) + " " + Quoted(from.string()) + " " + Quoted("::" + path)) &&
                    (attrs.empty() || Run("mattrib -i " + Quoted(Drive()) + " " + attrs + " " + Quoted("::" + path)));
    fs::remove(from);
    return ok;
}

std::string FatDisk::Attributes() const {
    std::string out;
    if (!Run("mattrib -i " + Quoted(Drive()) + " -/ ::", &out)) return "(" + why_ + ")";
    return out;
}

std::string FatDisk::Listing() const {
    std::string out;
    if (!Run("mdir -i " + Quoted(Drive()) + " -a -/ ::", &out)) return "(" + why_ + ")";
    return out;
}

bool FatDisk::Exists(const std::string& path) const {
    return Attributes().find(" ::/" + path + "\n") != std::string::npos;
}

}  // namespace vq::test
