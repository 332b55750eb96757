// Where the running program and the system live: full paths from the kernel, in UTF-16 as the
// file system holds them (an ANSI path would put a "best fit" look-alike in place of a character
// the code page lacks, and name another folder), and never truncated.
#pragma once

#include <windows.h>

#include <string>

namespace vq {

// The kernel's own limit for a path, in UTF-16 units.
inline constexpr unsigned long kLongestPath = 32768;

// A path from a call that writes at most `room` units into a buffer, terminator included, and
// answers how many it wrote: 0 when it failed; `room` or more, or room - 1 with some calls, when
// the path was cut short, and then it is asked again with twice the room. "" when it fails or
// the path is longer than any path can be.
template <class Fill>
std::wstring GrowingPath(Fill fill) {
    for (DWORD room = MAX_PATH; room <= kLongestPath; room *= 2) {
        std::wstring path(room, L'\0');
        const DWORD n = fill(path.data(), room);
        if (n == 0) return std::wstring();
        if (n < room - 1) {
            path.resize(n);
            return path;
        }
    }
    return std::wstring();
}

// Full path of the running executable (the application's ExeName); "" if it cannot be had.
std::wstring RunningExePath();

// The system directory (e.g. C:\Windows\system32), without a trailing "\"; "" if unknown.
std::wstring SystemDir();

}  // namespace vq
