// Runs one tool of the payload hidden, in the work directory, and waits for its exit code.
#include "upgrade/RunHiddenProcess.h"

#include <memory>
#include <new>

#include "base/Paths.h"
#include "base/ProcessInfo.h"
#include "base/RelativeFiles.h"
#include "base/SystemCalls.h"
#include "base/WinHandle.h"
#include "upgrade/UpgradeRules.h"

namespace vq {

namespace {

// The output handle made inheritable for one process creation, and an attribute list naming it
// as the only handle the child gets: nothing else the program holds (the executable, the work
// directory) reaches the tool. Systems before Vista have no list; there the output is the only
// inheritable handle the program has.
class InheritOnly {
public:
    InheritOnly(HANDLE output, STARTUPINFOEXW& startup) : output_(output) {
        if (!output_) return;
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdOutput = output_;
        startup.StartupInfo.hStdError = output_;
        const AttributeListCalls calls = LookUpAttributeListCalls();
        const auto initialize = calls.Initialize;
        const auto update = calls.Update;
        remove_ = calls.Delete;
        SIZE_T size = 0;
        if (!calls.Usable()) return;
        initialize(nullptr, 1, 0, &size);
        storage_.reset(new (std::nothrow) BYTE[size]);
        const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.get());
        if (!list || !initialize(list, 1, 0, &size)) {
            storage_.reset();
            return;
        }
        if (update(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &output_, sizeof output_, nullptr, nullptr)) {
            startup.lpAttributeList = list;
            flags_ = EXTENDED_STARTUPINFO_PRESENT;
        }
    }
    ~InheritOnly() {
        if (storage_) remove_(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.get()));
        if (output_) SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    BOOL Inherit() const { return output_ != nullptr; }
    DWORD Flags() const { return flags_; }

private:
    HANDLE output_;
    std::unique_ptr<BYTE[]> storage_;
    decltype(AttributeListCalls::Delete) remove_ = nullptr;
    DWORD flags_ = 0;
};

// The tools run elevated, and the environment the program was started with is partly the user's
// to write (HKCU\Environment): a folder of theirs on PATH would lend a tool its DLLs. So a tool
// gets only what a system program needs, and a place for its temporary files inside the work
// directory. Names sorted, as Windows keeps a block.
std::wstring ToolEnvironment(const std::wstring& workDir) {
    const std::wstring windowsDir =
        GrowingPath([](wchar_t* buffer, DWORD room) { return GetSystemWindowsDirectoryW(buffer, room); });
    const std::wstring systemDir = SystemDir();
    std::wstring block;
    const auto add = [&block](const wchar_t* name, const std::wstring& value) {
        block.append(name).append(value).push_back(L'\0');
    };
    add(L"ComSpec=", PathInDir(systemDir, L"cmd.exe"));
    add(L"PATH=", systemDir + L";" + windowsDir);
    add(L"SystemRoot=", windowsDir);
    add(L"TEMP=", workDir);
    add(L"TMP=", workDir);
    add(L"windir=", windowsDir);
    return block;  // the block's closing NUL is the string's own
}

// Every tool goes into one job that ends whatever is in it once its last handle closes, and the
// program holds that handle until it ends, however it ends: a window closed while gzip unpacks
// leaves nothing writing into the work directory. Made on the first start (workers 1 and 2 start
// tools one after the other, never at once) and never closed. Null where jobs cannot be made.
HANDLE gToolsJob = nullptr;

HANDLE ToolsJob() {
    if (gToolsJob == nullptr) {
        HANDLE job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
        ZeroMemory(&limits, sizeof limits);
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job && !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(job);
            job = nullptr;
        }
        gToolsJob = job;
    }
    return gToolsJob;
}

// One line in the tools' printing for a tool that never ran, so that whoever reads it after a
// failure learns why: "<tool> could not be started: error <n>: <the system's text>".
void ReportNotStarted(HANDLE output, const char* tool, DWORD error) {
    if (!output) return;
    char line[512];  // a tool's name is a payload entry's, a few characters
    int n = wsprintfA(line, "%s could not be started: error %lu", tool, error);
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                       nullptr, error, 0, line + n + 2, DWORD(sizeof line - n - 4), nullptr)) {
        line[n] = ':';
        line[n + 1] = ' ';
        n += 2 + lstrlenA(line + n + 2);
    }
    while (n > 0 && (line[n - 1] == ' ' || line[n - 1] == '\r' || line[n - 1] == '\n')) --n;
    line[n++] = '\r';
    line[n++] = '\n';
    DWORD written = 0;
    WriteFile(output, line, DWORD(n), &written, nullptr);
}

}  // namespace

uint32_t RunHiddenProcess(const std::wstring& workDir, const char* applicationName, const char* commandLine,
                          HANDLE output) {
    DWORD exitCode = kToolNotRun;
    STARTUPINFOEXW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    const InheritOnly inherit(output, startup);
    if (!inherit.Flags()) startup.StartupInfo.cb = sizeof startup.StartupInfo;

    // The work directory is held without delete sharing, so its name, and with it the tool's
    // full path and the current directory the tool gets, lead to it alone. The tools still see
    // it as their current directory: gzip's "*.gz" is relative.
    const std::wstring application = PathInDir(workDir, AsciiToWide(applicationName));
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = AsciiToWide(commandLine);
    std::wstring environment = ToolEnvironment(workDir);
    // Suspended until it is in the job: it runs no instruction that could outlive the program.
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, inherit.Inherit(),
                        inherit.Flags() | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(),
                        workDir.c_str(), &startup.StartupInfo, &info)) {
        ReportNotStarted(output, applicationName, GetLastError());
        return exitCode;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    // Where the system refuses the job (a program already in a job that allows no other, before
    // Windows 8), the tool still runs: the upgrade needs it more than the guard.
    if (const HANDLE job = ToolsJob()) AssignProcessToJobObject(job, process.Get());
    ResumeThread(thread.Get());
    DWORD code = 0;
    if (WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process.Get(), &code)) {
        exitCode = code;
    }
    return exitCode;
}

bool ToolsEnded(HoldBackoff& hold) {
    // The wait above is for the tool alone; what it started lives on in the job.
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
        if (gToolsJob == nullptr || !QueryInformationJobObject(gToolsJob, JobObjectBasicAccountingInformation,
                                                               &info, sizeof info, nullptr)) {
            return true;
        }
        if (info.ActiveProcesses == 0) return true;
        if (!hold.Wait()) return false;
    }
}

}  // namespace vq
