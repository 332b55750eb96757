// A hard-disk image with one FAT partition, made and read with mtools: DOSBox mounts it with
// imgmount and, unlike a mounted host folder, keeps and shows the files' attributes on it.
#pragma once

#include <filesystem>
#include <string>

#include "tests/dos/DosboxRun.h"

namespace vq::test {

class FatDisk {
public:
    explicit FatDisk(std::filesystem::path image) : image_(std::move(image)) {}

    // A blank disk: a partition table and one formatted FAT16 partition. False with why() set.
    bool Make();
    // Paths below the root with "/" between the names, as "WORK/VQPTEMP".
    bool MakeDir(const std::string& path);
    // attrs as mattrib takes them ("+r", "+r +h"), or none.
    bool Put(const std::string& path, const Bytes& data, const std::string& attrs = "");
    // Every entry of the disk with its attributes, one a line ("  A    R     ::/WORK/VQEXT_0").
    std::string Attributes() const;
    // Every entry with its size and time, and the free space: what any write changes.
    std::string Listing() const;
    bool Exists(const std::string& path) const;

    const std::filesystem::path& Image() const { return image_; }
    const std::string& why() const { return why_; }

private:
    std::string Drive() const;  // the partition, as mtools' -i names it
    bool Run(const std::string& args, std::string* out = nullptr) const;

    std::filesystem::path image_;
    mutable std::string why_;
};

}  // namespace vq::test
