// Text console through the video BIOS: characters with colour attributes, the cursor, a small
// printf, and reading the answer from standard input.
#pragma once

#include <stdint.h>

namespace vq::rt {

struct ScreenPos {
    uint8_t col;
    uint8_t row;
};

inline constexpr uint8_t kScreenColumns = 80;
inline constexpr uint8_t kScreenRows = 25;

void ClearScreen();
void SetTextAttr(uint8_t attr);  // attribute of the characters written from now on
ScreenPos GetCursor();
void SetCursor(ScreenPos pos);
void PutChar(char c);             // "\r" and "\n" move the cursor; the screen scrolls at the bottom
void PutStr(const char* s);
void PutRepeated(char c, uint8_t attr, uint16_t count);  // at the cursor, which does not move
// %s %c %d %u only.
void Printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The first byte of a line read from standard input (a console delivers the line after Enter);
// the rest of the line is consumed with it. -1 at end of input or on an error.
int ReadStdinChar();

}  // namespace vq::rt
