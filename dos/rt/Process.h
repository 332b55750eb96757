// Running child programs (INT 21h 4B00h, 4Dh) and the process's own facts (PSP, environment).
#pragma once

#include <stdint.h>

namespace rt {

// Runs the program at path with the arguments args[0..count) (argv[1..], not the program name)
// and waits for it. True when it ran; its exit status is then in exitCode.
bool RunProgram(const char* path, const char* const* args, uint32_t count, uint8_t& exitCode);

// Runs commandLine through the interpreter named by COMSPEC, as "/C" followed by the line.
// True when the interpreter ran (its status is not the command's).
bool RunCommandLine(const char* commandLine, uint8_t& exitCode);

uint16_t PspSegment();
// The environment variable's value; false when it is absent or does not fit.
bool GetEnv(const char* name, char* out, uint32_t cap);
// The running program's full path, from the end of the environment block (DOS 3+).
bool GetProgramPath(char* out, uint32_t cap);

}  // namespace rt
