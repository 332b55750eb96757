// The file the running program was mapped from, opened once and held.
#pragma once

#include "base/WinHandle.h"

namespace vq {

// Opens, for reading, the file the system mapped this program from, with sharing that lets
// nobody write, rename or delete it while the handle lives. Empty when the file cannot be
// opened or when the file opened is not the mapped image (it was renamed and replaced first).
UniqueHandle OpenRunningImage();

}  // namespace vq
