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

std::wstring PathInDir(std::wstring_view dir, std::wstring_view name) {
    std::wstring path(dir);
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path.append(name);
}

std::wstring FolderOf(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash + 1));
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
