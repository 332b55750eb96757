// Whole-file reads and all-or-nothing writes for vqpack.
#include "tools/vqpack/FileIo.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "payload/PayloadFormat.h"

namespace vq {
namespace {

std::string Reason() { return strerror(errno); }

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

}  // namespace

bool ReadWholeFile(const std::string& path, Bytes& out, std::string& err) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        err = path + ": " + ec.message();
        return false;
    }
    if (size > kMaxFileSize) {
        err = path + ": file is 2 GiB or larger";
        return false;
    }
    std::unique_ptr<FILE, FileCloser> f(fopen(path.c_str(), "rb"));
    if (!f) {
        err = path + ": " + Reason();
        return false;
    }
    out.resize(size);
    if (size != 0 && fread(out.data(), 1, size, f.get()) != size) {
        err = path + ": read failed";
        return false;
    }
    // A file that grew while being read would be taken only in part.
    if (fgetc(f.get()) != EOF) {
        err = path + ": file changed while being read";
        return false;
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const uint8_t* data, size_t size, std::string& err) {
    const std::string temp = path + ".vqpack-tmp";
    {
        std::unique_ptr<FILE, FileCloser> f(fopen(temp.c_str(), "wb"));
        if (!f) {
            err = temp + ": " + Reason();
            return false;
        }
        const bool written = size == 0 || fwrite(data, 1, size, f.get()) == size;
        const bool flushed = fflush(f.get()) == 0;
        const bool closed = fclose(f.release()) == 0;
        if (!written || !flushed || !closed) {
            err = temp + ": write failed: " + Reason();
            remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        err = path + ": " + ec.message();
        remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace vq
