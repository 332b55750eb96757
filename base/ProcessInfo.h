// Where the running program and the system live: full paths from the kernel, in UTF-16 as the
// file system holds them (an ANSI path would put a "best fit" look-alike in place of a character
// the code page lacks, and name another folder), and never truncated.
#pragma once

#include <string>

namespace vq {

// The kernel's own limit for a path, in UTF-16 units.
inline constexpr unsigned long kLongestPath = 32768;

// Full path of the running executable (the application's ExeName); "" if it cannot be had.
std::wstring RunningExePath();

// The system directory (e.g. C:\Windows\system32), without a trailing "\"; "" if unknown.
std::wstring SystemDir();

}  // namespace vq
