// Where the running program and the system live: full paths from the kernel, never truncated.
#include "upgrade/ProcessInfo.h"

#include <windows.h>

namespace vq {

namespace {

constexpr DWORD kLongestPath = 32768;  // the kernel's own limit for a path

}  // namespace

std::string RunningExePath() {
    // GetModuleFileNameA cuts a long path short without saying so, except by filling the buffer.
    for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
        std::string path(size, '\0');
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0) {
            return std::string();
        }
        if (n < size) {
            path.resize(n);
            return path;
        }
    }
    return std::string();
}

std::string SystemDir() {
    const UINT needed = GetSystemDirectoryA(nullptr, 0);
    if (needed == 0) {
        return std::string();
    }
    std::string dir(needed, '\0');
    const UINT n = GetSystemDirectoryA(dir.data(), needed);
    if (n == 0 || n >= needed) {
        return std::string();
    }
    dir.resize(n);
    return dir;
}

}  // namespace vq
