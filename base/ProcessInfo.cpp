// Where the running program and the system live: full paths from the kernel, never truncated.
#include "base/ProcessInfo.h"

#include <windows.h>

namespace vq {

std::wstring RunningExePath() {
    // GetModuleFileNameW cuts a long path short without saying so, except by filling the buffer.
    return GrowingPath([](wchar_t* buffer, DWORD room) { return GetModuleFileNameW(nullptr, buffer, room); });
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
