// The upgrade's fixed facts (tools, command lines, delays) and its small path rules; portable.
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
inline constexpr std::string_view kShutdownProgram = "shutdown.exe";
inline constexpr std::string_view kShutdownArguments = "/s /f /t 0";

// Exit code kept when a tool could not be started or waited for: counts as failure.
inline constexpr uint32_t kToolNotRun = 255;

// Worker 4's pacing: stage 7 after the clean-up, stage 8, then the shutdown.
inline constexpr uint32_t kCompleteDelayMs = 500;
inline constexpr uint32_t kShuttingDownDelayMs = 5000;
inline constexpr uint32_t kShutdownDelayMs = 5000;

// Pattern that lists every entry of a directory, appended to its path.
inline constexpr std::string_view kListAllPattern = "\\*.*";

// True once a started chain has nothing left that an ending session could cut short: it failed
// (stExtractFailed, stUpgradeFailed) or its clean-up is done (stCleanDone and after: what
// follows is the program's own shutdown). A clean-up that found no work directory ends on
// stCleaning; only its thread's end shows that.
bool ChainOver(int32_t stage);

// The flash tool build for the running system.
const char* FlashToolFor(bool is64BitOS);

// The flash tool's command line: write the decompressed image (" -f Bios.bin").
std::string FlashCommandLine();

// dir + "\" + name, without doubling the "\" of a root such as "D:\".
std::string PathInDir(std::string_view dir, std::string_view name);

// The listing's own entries "." and "..", compared exactly.
bool IsDotEntry(std::string_view name);

// The command for WinExec: the system directory's shutdown program and its arguments, the path
// quoted when it holds a space so that no shorter path can be taken for the program. Empty, so
// that nothing runs, when the system directory is unknown ("").
std::string ShutdownCommandLine(std::string_view systemDir);

}  // namespace vq
