// The system's shutdown command, the last step of a successful upgrade.
#include "upgrade/SystemShutdown.h"

#include <windows.h>

#include <string>

#include "upgrade/UpgradeRules.h"

namespace vq {

bool RunShutdownCommand(std::string_view systemDir) {
    const std::string line = ShutdownCommandLine(systemDir);
    if (line.empty()) {
        return false;
    }
    // WinExec reports success with a value above 31.
    return WinExec(line.c_str(), SW_HIDE) > 31;
}

}  // namespace vq
