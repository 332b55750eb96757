// Bounded string helpers for fixed buffers; portable so the path rules built on them test natively.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline uint32_t StrLen(const char* s) {
    uint32_t n = 0;
    while (s[n] != '\0') ++n;
    return n;
}

// Appends src to the string in dst (capacity cap, terminator included). On overflow dst is left
// as it was and false comes back.
inline bool StrAppend(char* dst, uint32_t cap, const char* src) {
    const uint32_t have = StrLen(dst);
    const uint32_t add = StrLen(src);
    if (have + add + 1 > cap) return false;
    for (uint32_t i = 0; i <= add; ++i) dst[have + i] = src[i];
    return true;
}

inline bool StrCopy(char* dst, uint32_t cap, const char* src) {
    if (cap == 0) return false;
    dst[0] = '\0';
    return StrAppend(dst, cap, src);
}

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

inline bool StrEqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
        if (*a == '\0') return true;
    }
}

inline bool StrEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (*a == '\0') return true;
    }
}

// Decimal digits of v into out (at least 11 bytes); returns out.
inline char* FormatUnsigned(uint32_t v, char* out) {
    char tmp[10];
    uint32_t n = 0;
    do {
        tmp[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (uint32_t i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
    out[n] = '\0';
    return out;
}

}  // namespace vq::rt
