// Running child programs (INT 21h 4B00h, 4Dh) and the process's own facts (PSP, environment).
#pragma once

#include <stdint.h>

namespace vq::rt {

// How a child program ended, as INT 21h 4Dh reports it.
struct ChildEnd {
    uint8_t type;  // kEndNormal, or how DOS stopped it
    uint8_t code;  // the exit code it gave
};
inline constexpr uint8_t kEndNormal = 0;
inline constexpr uint8_t kEndCtrlC = 1;
inline constexpr uint8_t kEndCriticalError = 2;  // the user chose Abort
inline constexpr uint8_t kEndResident = 3;       // terminate and stay resident

// Runs the program at path with the arguments args[0..count) (argv[1..], not the program name)
// and waits for it. True when it was started; how it ended is then in end.
bool RunProgram(const char* path, const char* const* args, uint32_t count, ChildEnd& end);

uint16_t PspSegment();
// The environment variable's value; false when it is absent or does not fit.
bool GetEnv(const char* name, char* out, uint32_t cap);
// The running program's full path, from the end of the environment block (DOS 3+). DOS names a
// program by at most 79 characters: the deepest current directory it keeps (66), "\" and an 8.3
// name; kProgramPathBytes holds that and the terminator.
inline constexpr uint32_t kProgramPathBytes = 80;
bool GetProgramPath(char* out, uint32_t cap);

}  // namespace vq::rt
