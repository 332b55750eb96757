// Ctrl-Break (INT 23h) and critical errors (INT 24h) while the program works on the disk. DOS's
// own handlers end the program in the middle of whatever it does (a file half written, the
// screen mid-line, the current directory elsewhere, a leftover behind); ours ignore Ctrl-Break,
// and fail the call that met a critical error, so that the step fails as any failed call does.
#pragma once

#include <stdint.h>

namespace vq::rt {

// While it lives, ours are in place (but around a child program, see ChildHandlers); DOS's are
// back when it goes.
class QuietBreaks {
public:
    QuietBreaks();
    ~QuietBreaks();
    QuietBreaks(const QuietBreaks&) = delete;
    QuietBreaks& operator=(const QuietBreaks&) = delete;
};

// Around a child program: DOS's own handlers, which the child inherits, and ours again after it;
// nothing while no QuietBreaks lives. A tool is another program: Ctrl-Break and Abort may end it,
// as its maker expects, and how it ended is judged when it is back.
class ChildHandlers {
public:
    ChildHandlers();
    ~ChildHandlers();
    ChildHandlers(const ChildHandlers&) = delete;
    ChildHandlers& operator=(const ChildHandlers&) = delete;
};

}  // namespace vq::rt
