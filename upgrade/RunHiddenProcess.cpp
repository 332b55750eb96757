// Runs one tool of the payload hidden, in the work directory, and waits for its exit code.
#include "upgrade/RunHiddenProcess.h"

#include <windows.h>

#include <string.h>

#include <vector>

#include "base/WinHandle.h"
#include "upgrade/UpgradeRules.h"

namespace vq {

uint32_t RunHiddenProcess(const std::string& workDir, const char* applicationName,
                          const char* commandLine) {
    DWORD exitCode = kToolNotRun;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);

    // The bare tool name is completed with the current directory. Where that cannot be the work
    // directory, nothing runs: a tool of the same name elsewhere could flash another image.
    if (!SetCurrentDirectoryA(workDir.c_str())) {
        return exitCode;
    }

    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
    if (!CreateProcessA(applicationName, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return exitCode;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.Get(), &code)) {
        exitCode = code;
    }
    return exitCode;
}

}  // namespace vq
