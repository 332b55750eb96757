// What every Windows test double shares: test-only settings, the clock, whole-file I/O, records.
#include "testing/win/DoubleSupport.h"

#include <stdlib.h>

namespace vq::testing {

namespace {

constexpr uint64_t kFileTimeTo1970 = 116444736000000000ull;  // 100 ns units from 1601 to 1970
constexpr uint64_t kFileTimeUnitsPerMs = 10000;
constexpr int kAppendAttempts = 200;  // another double may hold the record file for a moment
constexpr DWORD kAppendRetryMs = 10;

// NAME's value in the settings file beside the folder the double lies in. In UTF-16: an ANSI path
// would name a "best fit" look-alike of a folder the code page cannot spell.
bool FromSettingsFile(const std::string& name, std::string& value) {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n < MAX_PATH ? n : 0);
    for (int up = 0; up < 2; ++up) {  // the double's folder, then the folder that holds it
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos) return false;
        path.resize(slash);
    }
    path += L"\\";
    path.append(kSettingsName, kSettingsName + lstrlenA(kSettingsName));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD got = 0;
    const bool read = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    if (!read) return false;
    const std::string text(buffer, got);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 && line[name.size()] == '=') {
            value = line.substr(name.size() + 1);
            return true;
        }
        at = end + 1;
    }
    return false;
}

}  // namespace

bool SettingText(const char* name, std::string& value) {
    if (FromSettingsFile(name, value)) return true;
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) {
        return false;
    }
    value.assign(buffer, n);
    return true;
}

bool SettingNumber(const char* name, unsigned long& value) {
    std::string text;
    if (!SettingText(name, text) || text.empty()) {
        return false;
    }
    char* end = nullptr;
    const unsigned long parsed = strtoul(text.c_str(), &end, 10);
    if (end == nullptr || *end != '\0') {
        return false;
    }
    value = parsed;
    return true;
}

uint64_t EpochMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const uint64_t t = uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    return (t - kFileTimeTo1970) / kFileTimeUnitsPerMs;
}

std::string CurrentDir() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return std::string();
    char utf8[4 * MAX_PATH];
    const int length = WideCharToMultiByte(CP_UTF8, 0, buffer, int(n), utf8, sizeof utf8, nullptr, nullptr);
    return std::string(utf8, length > 0 ? size_t(length) : 0);
}

std::string OwnName() {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    const std::string path(buffer, n < sizeof buffer ? n : 0);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000;  // doubles read small files
    if (ok) {
        data.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = data.empty() || (ReadFile(file, data.data(), DWORD(data.size()), &got, nullptr) &&
                              got == data.size());
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD put = 0;
    bool ok = size == 0 || (WriteFile(file, data, DWORD(size), &put, nullptr) && put == size);
    ok = CloseHandle(file) && ok;
    if (!ok) {
        DeleteFileA(path.c_str());
    }
    return ok;
}

void Print(DWORD stdHandle, const std::string& line) {
    const HANDLE out = GetStdHandle(stdHandle);
    const std::string text = line + "\r\n";
    DWORD put = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        WriteFile(out, text.data(), DWORD(text.size()), &put, nullptr);
    }
}

bool AppendLine(const std::string& path, const std::string& line) {
    const std::string text = line + "\r\n";
    for (int attempt = 0; attempt < kAppendAttempts; ++attempt) {
        // No sharing: one writer at a time, so lines from concurrent doubles never interleave.
        HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_SHARING_VIOLATION) {
                return false;
            }
            Sleep(kAppendRetryMs);
            continue;
        }
        DWORD put = 0;
        const bool ok = WriteFile(file, text.data(), DWORD(text.size()), &put, nullptr) &&
                        put == text.size();
        return CloseHandle(file) && ok;
    }
    return false;
}

std::string ArgumentsOf(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            ++p;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') {
            ++p;
        }
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    return p;
}

}  // namespace vq::testing
