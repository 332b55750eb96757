// Whole-file reads and all-or-nothing writes for vqpack, and the checks that keep a write off
// vqpack's own inputs.
#include "tools/vqpack/FileIo.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <system_error>

#include "payload/PayloadFormat.h"

namespace vq {
namespace {

std::string Reason() { return strerror(errno); }

constexpr size_t kMaxWrite = 1u << 30;  // one write's share, below every platform's count limit

constexpr char kNotRegular[] = ": not a regular file";

// An open that must not wait: a FIFO without a writer would hold it until one came, and a
// terminal would become the controlling one.
#ifdef O_NONBLOCK
constexpr int kOpenWithoutWaiting = O_NONBLOCK | O_NOCTTY;
#else
constexpr int kOpenWithoutWaiting = 0;
#endif

// What the file system says about a name, links followed.
struct Described {
    bool Exists = false;
    bool Regular = false;
    bool ReadOnly = false;
    uint64_t Size = 0;
    FileId Id;
};

#ifdef _WIN32
// st_ino is always 0 here: identity comes from the file itself.
bool Describe(const std::string& path, Described& d, std::string& err) {
    d = Described{};
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return true;
        err = "cannot open it (Windows error " + std::to_string(e) + ")";
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) {
        err = "cannot read its file information";
        return false;
    }
    d.Exists = true;
    d.Regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    d.ReadOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    d.Size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    d.Id = FileId{info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return true;
}
#else
void FromStat(const struct stat& st, Described& d) {
    d.Exists = true;
    d.Regular = S_ISREG(st.st_mode);
    // The permission bits, not access(): root may write anything, yet a read-only file is one
    // somebody meant to keep.
    d.ReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    d.Size = uint64_t(st.st_size);
    d.Id = FileId{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

bool Describe(const std::string& path, Described& d, std::string& err) {
    d = Described{};
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        err = Reason();
        return false;
    }
    FromStat(st, d);
    return true;
}
#endif

// mkstemp makes the file for its owner alone: a replaced file's permissions, or those any new
// file would get.
void SetOutputMode(int fd, const std::string& path) {
#ifdef _WIN32
    (void)fd;
    (void)path;
#else
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        fchmod(fd, st.st_mode & 07777);
        return;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
#endif
}

// The temporary file a signal must not leave behind: set only while it exists and signals are
// held off, read by the handler, which may do nothing but unlink and end the process.
const char* volatile gPendingTemp = nullptr;

extern "C" void RemovePendingTemp(int sig) {
    if (const char* temp = gPendingTemp) unlink(temp);
    signal(sig, SIG_DFL);
    raise(sig);
}

#ifdef SIGHUP
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM};
#endif

// Holds the signals off while a temporary file is made or renamed, so that gPendingTemp always
// says whether one exists; the handlers are vqpack's from the first write on.
class SignalGuard {
public:
    SignalGuard() {
        Hold(true);
        static bool installed = false;
        if (!installed) {
            installed = true;
            // A signal the caller chose to ignore (a command started with '&') stays ignored.
            for (int sig : kCleanupSignals)
                if (signal(sig, RemovePendingTemp) == SIG_IGN) signal(sig, SIG_IGN);
        }
    }
    ~SignalGuard() { Hold(false); }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

private:
    static void Hold(bool hold) {
#ifdef _WIN32
        (void)hold;
#else
        sigset_t set;
        sigemptyset(&set);
        for (int sig : kCleanupSignals) sigaddset(&set, sig);
        sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
#endif
    }
};

}  // namespace

bool StatInput(const std::string& path, InputFile& out, std::string& err) {
    Described d;
    if (!Describe(path, d, err)) {
        err = path + ": " + err;
        return false;
    }
    if (!d.Exists || !d.Regular) {
        err = path + (d.Exists ? kNotRegular : ": No such file or directory");
        return false;
    }
    out = InputFile{path, d.Size, d.Id};
    return true;
}

bool CheckOutput(const std::string& path, const std::vector<InputFile>& inputs, bool replaceReadOnly,
                 std::string& err) {
    Described d;
    if (!Describe(path, d, err)) {
        err = path + ": " + err;
        return false;
    }
    if (!d.Exists) return true;
    for (const InputFile& in : inputs) {
        if (d.Id == in.Id) {
            err = path + ": this is the input " + in.Path + "; write the result to another file";
            return false;
        }
    }
    if (d.Regular && d.ReadOnly && !replaceReadOnly) {
        err = path + ": the file is read-only; give --force to replace it";
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, Bytes& out, std::string& err) {
    // Nothing but a regular file is opened: a FIFO would wait for a writer, a socket cannot be
    // opened at all, and opening a device may already act on it.
    InputFile described;
    if (!StatInput(path, described, err)) return false;
    // The name may lead elsewhere by now: the open does not wait, and the handle is asked again.
    const int fd = open(path.c_str(), O_RDONLY | kOpenWithoutWaiting
#ifdef O_BINARY
                                          | O_BINARY
#endif
    );
    if (fd < 0) {
        err = path + ": " + Reason();
        return false;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { close(fd); }
    } closer{fd};
    // The size from the file system, so that nothing is read from a file no container may hold.
    struct stat st;
    if (fstat(fd, &st) != 0) {
        err = path + ": " + Reason();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        err = path + kNotRegular;
        return false;
    }
#ifdef O_NONBLOCK
    // Back to plain reads: what a non-blocking read of a regular file does differs between systems.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    if (uint64_t(st.st_size) > kMaxFileSize) {
        err = path + ": file is 2 GiB or larger";
        return false;
    }
    const size_t size = size_t(st.st_size);
    out.resize(size);
    for (size_t done = 0; done < size;) {
        const size_t chunk = size - done < kMaxWrite ? size - done : kMaxWrite;
        const auto n = read(fd, out.data() + done, static_cast<unsigned>(chunk));
        if (n <= 0) {
            err = path + ": " + (n == 0 ? std::string("file shrank while being read") : "read failed: " + Reason());
            return false;
        }
        done += size_t(n);
    }
    // A file that grew while being read would be taken only in part.
    uint8_t more;
    if (read(fd, &more, 1) != 0) {
        err = path + ": file changed while being read";
        return false;
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const uint8_t* data, size_t size, std::string& err) {
    // A fresh name beside path, created exclusively: a name someone planted there, a link
    // included, makes the creation pick another name rather than write through it.
    std::string temp = path + ".vqpack-XXXXXX";
    int fd;
    {
        SignalGuard held;
        fd = mkstemp(temp.data());
        if (fd >= 0) gPendingTemp = temp.c_str();
    }
    if (fd < 0) {
        err = path + ": cannot create a temporary file beside it: " + Reason();
        return false;
    }
    SetOutputMode(fd, path);
    bool written = true;
    for (size_t done = 0; written && done < size;) {
        const size_t chunk = size - done < kMaxWrite ? size - done : kMaxWrite;
        const auto n = write(fd, data + done, static_cast<unsigned>(chunk));
        written = n > 0;
        if (written) done += size_t(n);
    }
    const bool closed = close(fd) == 0;  // a close that succeeds leaves a write's errno alone
    const std::string why = Reason();
    SignalGuard held;
    if (!written || !closed) {
        err = temp + ": write failed: " + why;
        remove(temp.c_str());
        gPendingTemp = nullptr;
        return false;
    }
#ifdef _WIN32
    // Windows moves nothing over a read-only file: one that CheckOutput let through (--force)
    // loses the attribute for the move, and the new file takes it back.
    const DWORD attrs = GetFileAttributesA(path.c_str());
    const bool readOnly = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0 &&
                          (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (readOnly) SetFileAttributesA(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
#endif
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        err = path + ": " + ec.message();
        remove(temp.c_str());
    }
#ifdef _WIN32
    if (readOnly) SetFileAttributesA(path.c_str(), ec ? attrs : GetFileAttributesA(path.c_str()) | FILE_ATTRIBUTE_READONLY);
#endif
    gPendingTemp = nullptr;
    return !ec;
}

}  // namespace vq
