// What every Windows test double shares: test-only settings, the clock, whole-file I/O, records.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace vq::testing {

// The folder outside the work directory where doubles leave their records and the flash image.
inline constexpr const char* kSettingFlashDir = "VQ_TEST_FLASH_DIR";

// A test's instructions to the doubles, as NAME=VALUE lines in this file in the folder that holds
// the double's own folder: beside the program under test, whose work directory a double runs
// from. The program gives its tools an environment of its own making, so a test cannot reach
// them through its own; a double started another way (by a test, or shutdown) also looks in the
// environment it inherited.
inline constexpr const char* kSettingsName = "vqtest.ini";

// A text setting, from the settings file first, else from the environment; false when unset.
bool SettingText(const char* name, std::string& value);

// A decimal setting; false when unset or not a whole number.
bool SettingNumber(const char* name, unsigned long& value);

// Milliseconds since 1970 (UTC), the clock every double and the UI driver write.
uint64_t EpochMs();

// The process's current directory, without a trailing "\" unless it is a root; in UTF-8, for
// records only (an ANSI path would name a "best fit" look-alike of a folder).
std::string CurrentDir();

// The file name of the running program, without its directory.
std::string OwnName();

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data);

// Writes the whole buffer into a new or truncated file; a partial file is deleted.
bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Appends one line (a CR LF is added) to a record file shared by several processes.
bool AppendLine(const std::string& path, const std::string& line);

// Prints one line (CR LF added) on standard output (STD_OUTPUT_HANDLE) or error, as a real tool
// reports what it does; nothing when there is no such handle.
void Print(DWORD stdHandle, const std::string& line);

// The command line without the program's own name (what follows argv[0] and its spaces).
std::string ArgumentsOf(const char* commandLine);

}  // namespace vq::testing
