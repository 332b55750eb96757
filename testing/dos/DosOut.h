// Messages of the DOS doubles on standard output or standard error.
#pragma once

#include "dos/rt/Files.h"
#include "dos/rt/Str.h"

namespace vq::testing {

inline constexpr uint16_t kStdout = 1;
inline constexpr uint16_t kStderr = 2;

inline void Say(uint16_t handle, const char* a, const char* b = "", const char* c = "") {
    const char* parts[3] = {a, b, c};
    for (const char* s : parts) rt::WriteExact(handle, s, uint16_t(rt::StrLen(s)));
    rt::WriteExact(handle, "\r\n", 2);
}

}  // namespace vq::testing
