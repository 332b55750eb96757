// Whole-file reads and all-or-nothing writes for vqpack, and the checks that keep a write off
// vqpack's own inputs.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "base/FileId.h"
#include "tools/vqpack/Bytes.h"

namespace vq {

// A file vqpack reads, as the file system describes it before a byte is read.
struct InputFile {
    std::string Path;
    uint64_t Size = 0;
    FileId Id;
};

// Size and identity of the regular file at path (links followed).
bool StatInput(const std::string& path, InputFile& out, std::string& err);

// Whether path may be written: refused when it is one of inputs (by identity, so another
// spelling or a link to an input counts), and when it is a read-only file unless
// replaceReadOnly. A path where nothing exists yet may be written.
bool CheckOutput(const std::string& path, const std::vector<InputFile>& inputs, bool replaceReadOnly,
                 std::string& err);

// Reads the whole file; refuses, before opening it, anything but a regular file (so nothing
// waits on a FIFO), and before reading, files of 2 GiB or more, which no container may reach.
bool ReadWholeFile(const std::string& path, Bytes& out, std::string& err);

// Writes to a new temporary file beside path (path + ".vqpack-" and six characters) and renames
// it over path, so path is either left as it was or holds all of data. A file it replaces keeps
// its permissions; a new one gets those the umask allows. SIGINT, SIGTERM and SIGHUP while the
// temporary file exists remove it before the process ends.
bool WriteFileAtomic(const std::string& path, const uint8_t* data, size_t size, std::string& err);
inline bool WriteFileAtomic(const std::string& path, const Bytes& data, std::string& err) {
    return WriteFileAtomic(path, data.data(), data.size(), err);
}

}  // namespace vq
