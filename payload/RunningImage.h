// The file the running program was mapped from, opened once and held.
#pragma once

#include "base/WinHandle.h"

namespace vq {

// The kernel's own limit for a path, in UTF-16 units.
inline constexpr unsigned long kLongestPath = 32768;

// Opens, for reading, the file the system mapped this program from, with sharing that lets
// nobody write, rename or delete it while the handle lives. Empty when the file cannot be
// opened or when the file opened is not the mapped image (it was renamed and replaced first).
UniqueHandle OpenRunningImage();

}  // namespace vq
