// Text console through INT 10h and standard input through INT 21h.
#include "dos/rt/Console.h"

#include <stdarg.h>

#include "dos/rt/Regs.h"
#include "dos/rt/Str.h"

namespace vq::rt {
namespace {

constexpr uint8_t kVideoPage = 0;
constexpr uint8_t kBlankAttr = 0x07;
constexpr uint16_t kStdinReadBytes = 128;  // a DOS console line, CR LF included
uint8_t gAttr = kBlankAttr;

void Video(uint8_t ah, Regs& r) {
    r.eax = (r.eax & 0xFFFF00FFu) | uint32_t(ah) << 8;
    IntCall(kIntVideo, r);
}

void ScrollUpOneLine() {
    Regs r = NewRegs();
    r.eax = 0x01;                    // AL = lines
    r.ebx = uint32_t(kBlankAttr) << 8;
    r.ecx = 0;
    r.edx = uint32_t(kScreenRows - 1) << 8 | (kScreenColumns - 1);
    Video(0x06, r);
}

}  // namespace

void ClearScreen() {
    Regs r = NewRegs();
    r.eax = 0x00;                    // AL = 0: the whole window
    r.ebx = uint32_t(kBlankAttr) << 8;
    r.edx = uint32_t(kScreenRows - 1) << 8 | (kScreenColumns - 1);
    Video(0x06, r);
    SetCursor({0, 0});
}

void SetTextAttr(uint8_t attr) { gAttr = attr; }

ScreenPos GetCursor() {
    Regs r = NewRegs();
    r.ebx = uint32_t(kVideoPage) << 8;
    Video(0x03, r);
    return ScreenPos{uint8_t(r.edx), uint8_t(r.edx >> 8)};
}

void SetCursor(ScreenPos pos) {
    Regs r = NewRegs();
    r.ebx = uint32_t(kVideoPage) << 8;
    r.edx = uint32_t(pos.row) << 8 | pos.col;
    Video(0x02, r);
}

void PutRepeated(char c, uint8_t attr, uint16_t count) {
    Regs r = NewRegs();
    r.eax = uint8_t(c);
    r.ebx = uint32_t(kVideoPage) << 8 | attr;
    r.ecx = count;
    Video(0x09, r);
}

void PutChar(char c) {
    ScreenPos p = GetCursor();
    if (c == '\r') {
        p.col = 0;
    } else if (c == '\n') {
        ++p.row;
    } else {
        PutRepeated(c, gAttr, 1);
        if (++p.col == kScreenColumns) {
            p.col = 0;
            ++p.row;
        }
    }
    if (p.row == kScreenRows) {
        ScrollUpOneLine();
        p.row = kScreenRows - 1;
    }
    SetCursor(p);
}

void PutStr(const char* s) {
    while (*s != '\0') PutChar(*s++);
}

void Printf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    char digits[12];
    for (; *fmt != '\0'; ++fmt) {
        if (*fmt != '%' || fmt[1] == '\0') {
            PutChar(*fmt);
            continue;
        }
        switch (*++fmt) {
            case 's': PutStr(va_arg(ap, const char*)); break;
            case 'c': PutChar(char(va_arg(ap, int))); break;
            case 'u': PutStr(FormatUnsigned(va_arg(ap, unsigned), digits)); break;
            case 'd': {
                const int v = va_arg(ap, int);
                if (v < 0) PutChar('-');
                PutStr(FormatUnsigned(v < 0 ? 0u - unsigned(v) : unsigned(v), digits));
                break;
            }
            default: PutChar(*fmt); break;
        }
    }
    va_end(ap);
}

int ReadStdinChar() {
    // One read takes the whole line: DOS keeps what a shorter read leaves of a console line and
    // hands it to the next reader of standard input, a child program or the shell.
    uint8_t line[kStdinReadBytes];
    Regs r = NewRegs();
    r.ebx = 0;                       // standard input
    r.ecx = sizeof line;
    r.edx = NearOffset(line);
    if (!DosCall(0x3F, r) || (r.eax & 0xFFFF) == 0) return -1;
    return line[0];
}

}  // namespace vq::rt
