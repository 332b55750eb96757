// The upgrade's fixed facts (tools, command lines, delays) and the shutdown's command line;
// portable.
#include "upgrade/UpgradeRules.h"

#include "base/Paths.h"
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

std::wstring ShutdownProgram(std::wstring_view systemDir) {
    // A bare name would find a shutdown.exe lying beside the program first.
    return systemDir.empty() ? std::wstring() : PathInDir(systemDir, kShutdownProgram);
}

std::wstring ShutdownCommandLine(std::wstring_view systemDir) {
    const std::wstring program = ShutdownProgram(systemDir);
    if (program.empty()) {
        return program;
    }
    const bool quote = program.find(L' ') != std::wstring::npos;
    std::wstring line = quote ? L"\"" + program + L"\"" : program;
    return line.append(L" ").append(kShutdownArguments);
}

}  // namespace vq
