// Helpers for tests that run the Windows test doubles for real: scratch folders, files, processes.
#include "testing/win/tests/DoubleRunner.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/win/DoubleSupport.h"

namespace vq::testing {

namespace {

// Runs a Unix program (Wine starts those too) on the Unix names of Windows paths, then `tail`;
// false when a name cannot be had or the program cannot start. Its handle is signalled before it
// has done its work, so the caller looks for the outcome.
bool RunUnixOn(const char* program, const std::vector<std::string>& paths, const char* tail = "") {
    using UnixNameFn = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) {
        return false;
    }
    std::string command = program;
    for (const std::string& path : paths) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        char* name = unixName(wide);
        if (name == nullptr) {
            return false;
        }
        command.append(" \"").append(name).append("\"");
        HeapFree(GetProcessHeap(), 0, name);
    }
    command.append(tail);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool IsLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool WaitUntil(const std::string& path, bool link) {
    for (int i = 0; i < 500; ++i) {
        if (IsLink(path) == link) return true;
        Sleep(10);
    }
    return false;
}

// Wine removes no Unix symlink through the Windows calls.
void RemoveLink(const std::string& link) {
    if (!RemoveDirectoryA(link.c_str()) && IsLink(link) && RunUnixOn("/bin/rm", {link})) {
        WaitUntil(link, false);
    }
}

// Removes `dir` once it is empty. Wine neither lists nor deletes a link whose target is gone, so
// a folder holding one looks empty and still cannot be removed: such links go from the Unix side
// (find's -delete follows no link and removes no folder).
void RemoveEmptied(const std::string& dir) {
    if (RemoveDirectoryA(dir.c_str()) || GetLastError() != ERROR_DIR_NOT_EMPTY) return;
    if (!RunUnixOn("/usr/bin/find", {dir}, " -mindepth 1 -maxdepth 1 -type l -delete")) return;
    for (int i = 0; i < 500 && !RemoveDirectoryA(dir.c_str()); ++i) Sleep(10);
}

}  // namespace

// Made new, never reused: Wine hands out the same process ids run after run, so a name made of
// the id alone meets whatever a failed run left behind. The time tells runs apart, the count the
// folders of one run.
ScratchDir::ScratchDir(const char* tag) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::string run = std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime);
    static unsigned counter = 0;
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int tries = 0; tries < 100 && error == ERROR_ALREADY_EXISTS; ++tries) {
        path_ = std::string(temp) + "vqt-" + tag + "-" + run + "-" + std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) return;
        error = GetLastError();
    }
    ADD_FAILURE() << "cannot make a scratch folder " << path_ << " (error " << error << ")";
}

ScratchDir::~ScratchDir() {
    DeleteTree(path_);
}

void DeleteTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            // A link goes by itself: what it leads to is not this tree's.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveLink(child);
                continue;
            }
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveEmptied(path);
}

bool MakeDirectoryLink(const std::string& link, const std::string& target) {
    // Wine's own CreateSymbolicLink makes nothing.
    return RunUnixOn("/bin/ln -s", {target, link}) && WaitUntil(link, true);
}

bool UnixMove(const std::string& from, const std::string& to) {
    if (!RunUnixOn("/bin/mv", {from, to})) return false;
    for (int i = 0; i < 500; ++i) {
        if (!FileExists(from) && FileExists(to)) return true;
        Sleep(10);
    }
    return false;
}

std::string BinDir() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, n);
    return path.substr(0, path.rfind('\\'));
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> data;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << path;
        return data;
    }
    data.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    if (!data.empty() && (!ReadFile(file, data.data(), DWORD(data.size()), &got, nullptr) ||
                          got != data.size())) {
        ADD_FAILURE() << "cannot read " << path;
    }
    CloseHandle(file);
    return data;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD put = 0;
    const bool ok = data.empty() || WriteFile(file, data.data(), DWORD(data.size()), &put, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && put == data.size()) << path;
}

void CopyInto(const std::string& dir, const char* name) {
    ASSERT_TRUE(CopyFileA((BinDir() + "\\" + name).c_str(), (dir + "\\" + name).c_str(), FALSE))
        << name;
}

DWORD RunTool(const std::string& appPath, const std::string& commandLine, const std::string& cwd) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(appPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.c_str(), &si, &pi)) {
        return 255;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

void SetDoubleSetting(const std::string& dir, const std::string& name, const std::string& value) {
    const std::string path = dir + "\\" + kSettingsName;
    std::string kept;
    if (FileExists(path)) {
        const std::vector<uint8_t> bytes = ReadBytes(path);
        const std::string text(bytes.begin(), bytes.end());
        for (size_t at = 0, end; at < text.size(); at = end + 1) {
            end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            if (line.compare(0, name.size() + 1, name + "=") != 0) kept += line + "\n";
        }
    }
    kept += name + "=" + value + "\n";
    WriteBytes(path, std::vector<uint8_t>(kept.begin(), kept.end()));
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    had_ = n != 0 && n < sizeof buffer;
    if (had_) {
        old_.assign(buffer, n);
    }
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv() {
    SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

}  // namespace vq::testing
