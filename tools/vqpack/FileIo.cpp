// Whole-file reads and all-or-nothing writes for vqpack.
#include "tools/vqpack/FileIo.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <memory>
#include <system_error>

#include "payload/PayloadFormat.h"

namespace vq {
namespace {

std::string Reason() { return strerror(errno); }

constexpr size_t kMaxWrite = 1u << 30;  // one write's share, below every platform's count limit

// mkstemp makes the file for its owner alone; the output gets the mode any new file would.
void KeepUmaskMode(int fd) {
#ifdef _WIN32
    (void)fd;
#else
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
#endif
}

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
    // A fresh name beside path, created exclusively: a name someone planted there, a link
    // included, makes the creation pick another name rather than write through it.
    std::string temp = path + ".vqpack-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        err = path + ": cannot create a temporary file beside it: " + Reason();
        return false;
    }
    KeepUmaskMode(fd);
    bool written = true;
    for (size_t done = 0; written && done < size;) {
        const size_t chunk = size - done < kMaxWrite ? size - done : kMaxWrite;
        const auto n = write(fd, data + done, static_cast<unsigned>(chunk));
        written = n > 0;
        if (written) done += size_t(n);
    }
    const bool closed = close(fd) == 0;  // a close that succeeds leaves a write's errno alone
    if (!written || !closed) {
        err = temp + ": write failed: " + Reason();
        remove(temp.c_str());
        return false;
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
