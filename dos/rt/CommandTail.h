// The command tail DOS passes to a program (PSP:80h, EXEC): a length byte, the text, a CR.
// Portable so the rules test natively.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline constexpr uint32_t kTailBytes = 128;
inline constexpr uint32_t kMaxTailText = 126;  // length byte and CR take the other two

// " arg1 arg2 ..." from args[0..count), each argument preceded by a space; false if too long.
inline bool BuildCommandTail(const char* const* args, uint32_t count, uint8_t (&tail)[kTailBytes]) {
    uint32_t n = 0;
    for (uint32_t a = 0; a < count; ++a) {
        if (n + 1 > kMaxTailText) return false;
        tail[1 + n++] = ' ';
        for (const char* s = args[a]; *s != '\0'; ++s) {
            if (n + 1 > kMaxTailText) return false;
            tail[1 + n++] = uint8_t(*s);
        }
    }
    tail[0] = uint8_t(n);
    tail[1 + n] = '\r';
    return true;
}

// Splits the tail text (text[0..len), with text[len] == 0) into words in place; words end at
// blanks or CR.
// Returns how many were stored in argv (at most maxArgs).
inline uint32_t SplitCommandTail(char* text, uint32_t len, char** argv, uint32_t maxArgs) {
    uint32_t argc = 0;
    uint32_t i = 0;
    while (i < len) {
        while (i < len && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= len || text[i] == '\r') break;
        if (argc == maxArgs) break;
        argv[argc++] = &text[i];
        while (i < len && text[i] != ' ' && text[i] != '\t' && text[i] != '\r') ++i;
        if (i < len) text[i++] = '\0';
    }
    return argc;
}

}  // namespace vq::rt
