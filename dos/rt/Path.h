// DOS paths: the one place the DOS face joins a directory and a name. Portable, so it is tested
// natively as well.
#pragma once

#include <stdint.h>

#include "dos/rt/Str.h"

namespace vq::rt {

inline constexpr const char* kPathSeparator = "\\";

// dir + "\" (unless dir already ends with one) + name into out, of capacity cap; false if it does
// not fit. A drive alone ("C:") joins to its root: "C:" + "" is "C:\".
inline bool JoinPath(char* out, uint32_t cap, const char* dir, const char* name) {
    const uint32_t n = StrLen(dir);
    const bool endsWithSeparator = n > 0 && dir[n - 1] == kPathSeparator[0];
    return StrCopy(out, cap, dir) && (endsWithSeparator || StrAppend(out, cap, kPathSeparator)) &&
           StrAppend(out, cap, name);
}

}  // namespace vq::rt
