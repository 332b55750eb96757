// Whole-file reads and all-or-nothing writes for vqpack.
#pragma once

#include <string>

#include "tools/vqpack/Bytes.h"

namespace vq {

// Reads the whole file; refuses files of 2 GiB or more, which no container may reach.
bool ReadWholeFile(const std::string& path, Bytes& out, std::string& err);

// Writes to a new temporary file beside path (path + ".vqpack-" and six characters) and renames
// it over path, so path is either left as it was or holds all of data.
bool WriteFileAtomic(const std::string& path, const uint8_t* data, size_t size, std::string& err);
inline bool WriteFileAtomic(const std::string& path, const Bytes& data, std::string& err) {
    return WriteFileAtomic(path, data.data(), data.size(), err);
}

}  // namespace vq
