// Reading the DOS environment block: a variable's value, and the program's own path that DOS 3+
// stores after the block's end. Portable over any byte reader so it tests natively.
//
//   "NAME=value\0" ... "NAME=value\0" "\0"  u16 count (1)  "C:\DIR\PROG.EXE\0"
#pragma once

#include <stdint.h>

namespace vq::rt {

// peek(i) returns byte i of the block; size bounds every read. Copies the value of `name` into
// out (capacity cap); false if absent, if the block is malformed, or if the value does not fit.
template <class Peek>
bool FindEnvValue(Peek peek, uint32_t size, const char* name, char* out, uint32_t cap) {
    uint32_t i = 0;
    while (i < size && peek(i) != 0) {
        uint32_t n = 0;
        while (name[n] != '\0' && i + n < size && peek(i + n) == uint8_t(name[n])) ++n;
        const bool match = name[n] == '\0' && i + n < size && peek(i + n) == '=';
        uint32_t j = match ? i + n + 1 : i;
        uint32_t o = 0;
        while (j < size && peek(j) != 0) {
            if (match) {
                if (o + 1 >= cap) return false;
                out[o++] = char(peek(j));
            }
            ++j;
        }
        if (j >= size) return false;  // unterminated string
        if (match) {
            out[o] = '\0';
            return cap > 0;
        }
        i = j + 1;
    }
    return false;
}

// Copies the program's full name into out (capacity cap, terminator included); false if absent,
// unterminated or too long for out.
template <class Peek>
bool FindProgramPath(Peek peek, uint32_t size, char* out, uint32_t cap) {
    uint32_t i = 0;
    while (i < size && peek(i) != 0) {
        while (i < size && peek(i) != 0) ++i;
        ++i;
    }
    // i: the empty string that ends the variables; then the count word and the path.
    if (i + 3 > size || (peek(i + 1) | peek(i + 2) << 8) == 0) return false;
    uint32_t o = 0;
    for (uint32_t j = i + 3; j < size; ++j) {
        // The terminator first: a name that fills the buffer but for it still fits.
        if (peek(j) == 0) {
            out[o] = '\0';
            return o > 0;
        }
        if (o + 1 >= cap) return false;
        out[o++] = char(peek(j));
    }
    return false;
}

}  // namespace vq::rt
