// Where the running program and the system live: full paths from the kernel, never truncated.
#pragma once

#include <string>

namespace vq {

// Full path of the running executable (the application's ExeName); "" if it cannot be had.
std::string RunningExePath();

// The system directory (e.g. C:\Windows\system32), without a trailing "\"; "" if unknown.
std::string SystemDir();

}  // namespace vq
