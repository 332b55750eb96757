// Where the running program and the system live: full paths from the kernel, never truncated.
#include "base/ProcessInfo.h"

#include <windows.h>

namespace vq {

std::wstring RunningExePath() {
    // GetModuleFileNameW cuts a long path short without saying so, except by filling the buffer.
    for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
        if (n == 0) {
            return std::wstring();
        }
        if (n < size) {
            path.resize(n);
            return path;
        }
    }
    return std::wstring();
}

std::wstring SystemDir() {
    const UINT needed = GetSystemDirectoryW(nullptr, 0);
    if (needed == 0) {
        return std::wstring();
    }
    std::wstring dir(needed, L'\0');
    const UINT n = GetSystemDirectoryW(dir.data(), needed);
    if (n == 0 || n >= needed) {
        return std::wstring();
    }
    dir.resize(n);
    return dir;
}

}  // namespace vq
