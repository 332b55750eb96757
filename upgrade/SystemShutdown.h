// The system's shutdown command, the last step of a successful upgrade.
#pragma once

#include <string_view>

namespace vq {

// Runs the shutdown program of systemDir with "/s /f /t 0", hidden. With no system directory
// known ("") it runs nothing and returns false: a program found by bare name could be anyone's.
// True when the command was started (its result is not examined).
bool RunShutdownCommand(std::string_view systemDir);

}  // namespace vq
