// The upgrade's fixed facts (tools, command lines, delays) and the shutdown's command line;
// portable.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>

#include "payload/PayloadEntries.h"

namespace vq {

// Tools are started by bare name from the work directory (their names are the payload's entry
// table's); command lines hold only arguments.
inline constexpr const char* kGzipTool = kPayloadEntries[kEntryWinGzip].WinUseName;
inline constexpr const char* kGzipCommandLine = " -df *.gz";
inline constexpr std::string_view kFlashWriteOption = " -f ";  // followed by the image's name

// The system's own shutdown program, never a copy that lies beside the executable.
inline constexpr std::wstring_view kShutdownProgram = L"shutdown.exe";
inline constexpr std::wstring_view kShutdownArguments = L"/s /f /t 0";

// Exit code kept when a tool could not be started or waited for: counts as failure.
inline constexpr uint32_t kToolNotRun = 255;

// Worker 4's pacing: stage 7 after the clean-up, stage 8, then the shutdown.
inline constexpr uint32_t kCompleteDelayMs = 500;
inline constexpr uint32_t kShuttingDownDelayMs = 5000;
inline constexpr uint32_t kShutdownDelayMs = 5000;

// True once a started chain has nothing left that an ending session could cut short: it failed
// (stExtractFailed, stUpgradeFailed) or its clean-up is done (stCleanDone and after: what
// follows is the program's own shutdown). A clean-up that could not remove the work directory
// stores no stCleanDone: until worker 4 stores stComplete, only its thread's end shows that.
bool ChainOver(int32_t stage);

// The flash tool build for the running system.
const char* FlashToolFor(bool is64BitOS);

// The flash tool's command line: write the decompressed image (" -f Bios.bin").
std::string FlashCommandLine();

// The system directory's shutdown program; empty, so that nothing runs, when the system
// directory is unknown ("").
std::wstring ShutdownProgram(std::wstring_view systemDir);

// Its command line: the program, quoted when its path holds a space so that no shorter path can
// be taken for the program, and its arguments. Empty when the system directory is unknown.
std::wstring ShutdownCommandLine(std::wstring_view systemDir);

}  // namespace vq
