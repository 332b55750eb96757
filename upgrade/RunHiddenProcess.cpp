// Runs one tool of the payload hidden, in the work directory, and waits for its exit code.
#include "upgrade/RunHiddenProcess.h"

#include <memory>
#include <new>

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
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, inherit.Inherit(), inherit.Flags(),
                        nullptr, workDir.c_str(), &startup.StartupInfo, &info)) {
        return exitCode;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process.Get(), &code)) {
        exitCode = code;
    }
    return exitCode;
}

}  // namespace vq
