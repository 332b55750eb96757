// What each worker of the upgrade does, given what it needs: the steps without the chain.
#include "upgrade/UpgradeSteps.h"

#include <windows.h>

#include "base/WinHandle.h"
#include "payload/ExtractPayload.h"
#include "payload/SignatureCheck.h"
#include "base/ProcessInfo.h"
#include "upgrade/RunHiddenProcess.h"
#include "upgrade/UpgradeRules.h"

namespace vq {

bool UnpackPayload(HANDLE exeFile, const std::wstring& workDir, WorkDirectory& work,
                   const char* const* names, uint32_t nameCount) {
    return SignedBytesMatch(exeFile) && work.Prepare(workDir) &&
           ExtractPayload(exeFile, work.Get(), names, nameCount) &&
           RunHiddenProcess(work.Path(), kGzipTool, kGzipCommandLine, work.ToolOutput()) == 0;
}

bool RunFlashTool(WorkDirectory& work, bool is64BitOS) {
    return RunHiddenProcess(work.Path(), FlashToolFor(is64BitOS), FlashCommandLine().c_str(), work.ToolOutput()) ==
           0;
}

bool CleanUp(WorkDirectory& work) {
    HoldBackoff hold;
    // A tool's child still running could be writing into the directory: the files would then go
    // under its feet, or come back after the clean-up.
    ToolsEnded(hold);
    return work.Clean(hold);
}

void ShutDownSystem() {
    const std::wstring systemDir = SystemDir();
    const std::wstring program = ShutdownProgram(systemDir);
    std::wstring line = ShutdownCommandLine(systemDir);
    if (program.empty()) {
        return;
    }
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info;
    // Started in the system directory, so it keeps no user's folder in use.
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, systemDir.c_str(),
                       &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

void KeepSystemAwake() {
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

}  // namespace vq
