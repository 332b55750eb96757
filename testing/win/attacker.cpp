// vqattack: another process of the same user racing the upgrade through Windows calls, as
// malware in the program's folder would (a Unix-side rename would pass Windows' sharing rules by).
// Paths are taken in UTF-16 from the command line, so a folder name outside the ANSI code page
// reaches the calls as it is.
//
//   vqattack launch EXE                      starts EXE in its folder, prints its process id
//   vqattack swap DIR PLANTED SECONDS        the moment DIR appears (waiting up to SECONDS), tries
//                                            for a second to rename it away and put the directory
//                                            PLANTED in its place; prints "swapped" or "refused
//                                            <error>" (exit 0 / 1; 2: DIR never appeared)
//   vqattack flip DIR ASIDE UNIXDIR UNIXTARGET SECONDS
//                                            for SECONDS, over and over: renames DIR to ASIDE,
//                                            puts a link to UNIXTARGET in its place, takes the
//                                            link away and renames ASIDE back; prints how often
//                                            the rename away succeeded and failed. (Wine makes no
//                                            link through its own calls and renames a link's
//                                            target, so the link is made and removed from Unix.)
//   vqattack takeover DIR PLANTED SECONDS    for SECONDS, tries over and over to rename DIR away;
//                                            the moment that succeeds, puts the directory PLANTED
//                                            in its place and holds it with the right to delete
//                                            it (others may not) until SECONDS have passed; prints
//                                            "took over after <n> refusals" or "refused <n> times"
//   vqattack hold FILE FLASHLOG MS SECONDS    as a scanner reading a fresh file: once the flash
//                                            double's record FLASHLOG says "write", opens FILE
//                                            without delete sharing and keeps it open until MS
//                                            after the record says "done" (the double's last act
//                                            before it exits); prints "held <epoch ms>" and
//                                            "released <epoch ms>" (exit 0; 1: FILE could not be
//                                            opened; 2: no such record within SECONDS)
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <wchar.h>

#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitNeverAppeared = 2;
constexpr int kExitUsage = 64;
constexpr ULONGLONG kSwapTryMs = 1000;  // from the directory's appearance through the extraction

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

int Launch(const wchar_t* exe) {
    std::wstring dir(exe);
    dir.resize(dir.rfind(L'\\') + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe, nullptr, nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        fprintf(stderr, "vqattack: cannot start the program (%lu)\n", GetLastError());
        return kExitRefused;
    }
    printf("%lu\n", pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return kExitOk;
}

int Swap(const wchar_t* dir, const wchar_t* planted, DWORD seconds) {
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    while (!Exists(dir)) {
        if (GetTickCount64() > end) return kExitNeverAppeared;
    }
    const std::wstring aside = std::wstring(dir) + L".taken";
    DWORD error = 0;
    const ULONGLONG tried = GetTickCount64() + kSwapTryMs;
    while (GetTickCount64() <= tried) {
        if (MoveFileExW(dir, aside.c_str(), 0)) {
            const bool put = MoveFileExW(planted, dir, 0) != 0;
            printf("swapped%s\n", put ? "" : ", but the planted directory could not be put in place");
            return kExitOk;
        }
        error = GetLastError();
        if (!Exists(dir)) break;
    }
    printf("refused %lu\n", error);
    return kExitRefused;
}

// Runs a Unix command line and waits until `path` exists (or not), as Wine gives no handle to
// wait on for a Unix process.
bool RunUnix(std::wstring line, const wchar_t* path, bool exists) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 2000 && Exists(path) != exists; ++i) Sleep(1);
    return Exists(path) == exists;
}

int Flip(const wchar_t* dir, const wchar_t* aside, const wchar_t* unixDir, const wchar_t* unixTarget,
         DWORD seconds) {
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    unsigned long done = 0, failed = 0;
    const std::wstring link = std::wstring(L"/bin/ln -s \"") + unixTarget + L"\" \"" + unixDir + L"\"";
    const std::wstring unlink = std::wstring(L"/bin/rm \"") + unixDir + L"\"";
    while (GetTickCount64() <= end) {
        if (!MoveFileExW(dir, aside, 0)) {  // the real directory away
            failed++;
            continue;
        }
        done++;
        RunUnix(link, dir, true);  // a link in its place for a moment
        RunUnix(unlink, dir, false);
        MoveFileExW(aside, dir, 0);
    }
    printf("renames %lu done %lu failed\n", done, failed);
    return kExitOk;
}

int Takeover(const wchar_t* dir, const wchar_t* planted, DWORD seconds) {
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    const std::wstring aside = std::wstring(dir) + L".taken";
    unsigned long refused = 0;
    while (GetTickCount64() <= end) {
        if (!MoveFileExW(dir, aside.c_str(), 0)) {
            refused++;
            continue;
        }
        MoveFileExW(planted, dir, 0);
        HANDLE held = CreateFileW(dir, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        printf("took over after %lu refusals%s\n", refused, held == INVALID_HANDLE_VALUE ? ", but not held" : "");
        fflush(stdout);
        while (GetTickCount64() <= end) Sleep(10);
        CloseHandle(held);
        return kExitOk;
    }
    printf("refused %lu times\n", refused);
    return kExitRefused;
}

// Milliseconds since 1970, the clock of the doubles' records and the UI driver's timeline.
unsigned long long EpochMs() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long units = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (units - 116444736000000000ull) / 10000;
}

// Whether a line of the record begins with `event` and a tab; read with every sharing allowed,
// as the doubles append to it.
bool Recorded(const wchar_t* record, const char* event) {
    HANDLE file = CreateFileW(record, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    const std::string line = std::string(event) + "\t";
    return text.compare(0, line.size(), line) == 0 || text.find("\n" + line) != std::string::npos;
}

bool WaitForRecord(const wchar_t* record, const char* event, ULONGLONG end) {
    while (!Recorded(record, event)) {
        if (GetTickCount64() > end) return false;
        Sleep(5);
    }
    return true;
}

int Hold(const wchar_t* file, const wchar_t* record, DWORD ms, DWORD seconds) {
    const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    if (!WaitForRecord(record, "write", end)) return kExitNeverAppeared;
    HANDLE held = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        printf("refused %lu\n", GetLastError());
        return kExitRefused;
    }
    printf("held %llu\n", EpochMs());
    fflush(stdout);
    const bool done = WaitForRecord(record, "done", end);
    if (done) Sleep(ms);
    CloseHandle(held);
    printf("released %llu\n", EpochMs());
    return done ? kExitOk : kExitNeverAppeared;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return kExitUsage;
    const std::wstring command = argv[1];
    if (command == L"launch") return Launch(argv[2]);
    if (command == L"swap" && argc == 5) return Swap(argv[2], argv[3], wcstoul(argv[4], nullptr, 10));
    if (command == L"hold" && argc == 6) {
        return Hold(argv[2], argv[3], wcstoul(argv[4], nullptr, 10), wcstoul(argv[5], nullptr, 10));
    }
    if (command == L"takeover" && argc == 5) return Takeover(argv[2], argv[3], wcstoul(argv[4], nullptr, 10));
    if (command == L"flip" && argc == 7) {
        return Flip(argv[2], argv[3], argv[4], argv[5], wcstoul(argv[6], nullptr, 10));
    }
    return kExitUsage;
}
