// The upgrade's fixed facts (tools, command lines, delays) and its small path rules; portable.
#include "upgrade/UpgradeRules.h"

#include "base/UpgradeStage.h"

namespace vq {

bool ChainOver(int32_t stage) {
    switch (stage) {
        case stExtractFailed:
        case stUpgradeFailed:
        case stCleanDone:
        case stComplete:
        case stShuttingDown:
            return true;
        default:
            return false;
    }
}

const char* FlashToolFor(bool is64BitOS) {
    return kPayloadEntries[is64BitOS ? kEntryWinFlash64 : kEntryWinFlash32].WinUseName;
}

std::string FlashCommandLine() {
    return std::string(kFlashWriteOption).append(kPayloadEntries[kEntryFlashImage].WinUseName);
}

std::string PathInDir(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    return path.append(name);
}

bool IsDotEntry(std::string_view name) {
    return name == "." || name == "..";
}

std::string ShutdownCommandLine(std::string_view systemDir) {
    // A bare name would find a shutdown.exe lying beside the program first.
    if (systemDir.empty()) {
        return std::string();
    }
    const std::string program = PathInDir(systemDir, kShutdownProgram);
    const bool quote = program.find(' ') != std::string::npos;
    std::string line = quote ? "\"" + program + "\"" : program;
    return line.append(" ").append(kShutdownArguments);
}

}  // namespace vq
