// Test double of the Windows flash tool (built as fptw.exe and fptw64.exe): checks what the
// upgrade gives it, records it outside the work directory and "flashes" by copying the image.
//
// Record file %VQ_TEST_FLASH_DIR%\flash.log, one line per event, fields split by tabs:
//   start <ms> <own name> <command line> <current directory> <window> <entries>
//   fail  <ms> <own name> <exit code>
//   write <ms> <own name>   (every check passed and the image is read: the "flash" begins)
//   done  <ms> <own name>
// With VQ_TEST_FLASH_QUICK=<ms> it only checks its command line, prints its line and ends at
// once: "done" (or "fail") is its only record, and nothing is flashed. Wine starts a console host
// for a console tool that a GUI program runs; the host inherits the tool's inheritable handles
// (its printing, "output") and its current directory (the work directory), and on a busy machine
// outlives a tool that ends at once by a second or more. A copy of the double started the same
// way (handles inherited, same folder) and staying <ms> stands in for it, so the hold is there
// every time rather than only when the machine is slow.
// %VQ_TEST_FLASH_DIR%\probe.txt, written anew at every start, shows what reaches a tool from its
// parent's environment: first where the default DLL search found "vqplanted.dll" ("-": nowhere),
// then the environment the tool was given, one variable a line.
// <entries> names what lies in the current directory when the tool starts, sorted, split by "/".
// The simulated flash part is %VQ_TEST_FLASH_DIR%\flash.bin, written only by a successful run.
#include <windows.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/common/FlashImageCheck.h"
#include "testing/win/DoubleSupport.h"

#ifndef VQ_FLASH_TOOL_64
#error "build with VQ_FLASH_TOOL_64=0 or 1"
#endif

namespace {

using namespace vq::testing;

// CreateProcessA with an application name hands the child the command line alone.
constexpr const char* kExpectedCommandLine = " -f Bios.bin";
constexpr const char* kImageName = "Bios.bin";
// Files are found relative to the current directory, as a tool given " -f Bios.bin" does.
constexpr const char* kHere = ".\\";
constexpr const char* kPartListName = "fparts.txt";
constexpr const char* kRecordName = "flash.log";
constexpr const char* kFlashName = "flash.bin";
constexpr const char* kSettingExit = "VQ_TEST_FLASH_EXIT";  // test-only: fail with this code after recording
constexpr const char* kSettingMs = "VQ_TEST_FLASH_MS";      // test-only: take this long
// test-only: check the command line, print the line and end at once, leaving a process of its
// own behind for this many ms that holds what Wine's console host holds after a tool
constexpr const char* kSettingQuick = "VQ_TEST_FLASH_QUICK";
constexpr const char* kLingerArgument = "--linger ";  // followed by the ms to stay
constexpr const char* kDriverProc = "VqDriverName";
constexpr const char* kProbeName = "probe.txt";
constexpr const char* kProbeLibrary = "vqplanted.dll";  // a test may put one on a user's PATH
#if VQ_FLASH_TOOL_64
constexpr const char* kDriverLibraries[] = {"idrvdll32e.dll", "pmxdll32e.dll"};
#else
constexpr const char* kDriverLibraries[] = {"idrvdll.dll", "pmxdll.dll"};
#endif

constexpr int kExitOk = 0;
constexpr int kExitBadCommandLine = 2;
constexpr int kExitBadImage = 3;
constexpr int kExitMissingSupportFile = 4;
constexpr int kExitCannotWriteFlash = 5;
constexpr int kExitNoFlashDir = 64;  // the test forgot VQ_TEST_FLASH_DIR: nothing is recorded

using DriverNameProc = const char*(__cdecl*)();

// How the parent asked for the tool's window: "hidden" only for STARTF_USESHOWWINDOW with SW_HIDE.
std::string WindowRequest() {
    STARTUPINFOA si;
    GetStartupInfoA(&si);
    if ((si.dwFlags & STARTF_USESHOWWINDOW) == 0) {
        return "default";
    }
    return si.wShowWindow == SW_HIDE ? "hidden" : "show " + std::to_string(si.wShowWindow);
}

// Every name in `dir` but "." and "..", sorted, joined by "/" (which no file name holds).
std::string EntriesOf(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : "/") + name;
    return joined;
}

// The tool needs its part list and the driver libraries of its own width beside it.
bool SupportFilesPresent(const std::string& dir) {
    if (GetFileAttributesA((dir + kPartListName).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    for (const char* name : kDriverLibraries) {
        HMODULE lib = LoadLibraryExA((dir + name).c_str(), nullptr, 0);
        if (lib == nullptr) {
            return false;
        }
        const auto proc = reinterpret_cast<DriverNameProc>(
            reinterpret_cast<void*>(GetProcAddress(lib, kDriverProc)));
        const bool right = proc != nullptr && lstrcmpiA(proc(), name) == 0;
        FreeLibrary(lib);
        if (!right) {
            return false;
        }
    }
    return true;
}

// The environment block as text, one variable a line (UTF-8).
std::string EnvironmentLines() {
    std::string lines;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* v = block; v && *v; v += lstrlenW(v) + 1) {
        char utf8[4096];
        const int n = WideCharToMultiByte(CP_UTF8, 0, v, -1, utf8, sizeof utf8, nullptr, nullptr);
        if (n > 0) lines.append(utf8).append("\r\n");
    }
    if (block) FreeEnvironmentStringsW(block);
    return lines;
}

// Where the default DLL search finds the probe library, which lies nowhere but where a test put it.
std::string ProbeLibraryFrom() {
    HMODULE lib = LoadLibraryA(kProbeLibrary);
    if (lib == nullptr) return "-";
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(lib, path, sizeof path);
    FreeLibrary(lib);
    return std::string(path, n < sizeof path ? n : 0);
}

}  // namespace

// Starts a copy of this program that inherits its handles and folder and stays `ms`.
void LeaveHolderBehind(unsigned long ms) {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    std::string line = OwnName() + " " + kLingerArgument + std::to_string(ms);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(self, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

int main() {
    FreeConsole();  // a console host would keep the work directory busy after we end
    const std::string arguments = ArgumentsOf(GetCommandLineA());
    if (arguments.compare(0, lstrlenA(kLingerArgument), kLingerArgument) == 0) {
        Sleep(DWORD(strtoul(arguments.c_str() + lstrlenA(kLingerArgument), nullptr, 10)));
        return kExitOk;
    }
    std::string flashDir;
    if (!SettingText(kSettingFlashDir, flashDir)) {
        return kExitNoFlashDir;
    }
    const std::string record = flashDir + "\\" + kRecordName;
    const std::string self = OwnName();
    unsigned long value = 0;
    if (SettingNumber(kSettingQuick, value)) {
        const bool right = lstrcmpA(GetCommandLineA(), kExpectedCommandLine) == 0;
        Print(STD_OUTPUT_HANDLE, self + ": " + kImageName + (right ? " written" : ": bad command line"));
        if (value != 0) LeaveHolderBehind(value);
        AppendLine(record, (right ? "done\t" : "fail\t") + std::to_string(EpochMs()) + "\t" + self);
        return right ? kExitOk : kExitBadCommandLine;
    }
    const std::string cwd = CurrentDir();
    AppendLine(record, "start\t" + std::to_string(EpochMs()) + "\t" + self + "\t" +
                           GetCommandLineA() + "\t" + cwd + "\t" + WindowRequest() + "\t" +
                           EntriesOf(kHere));
    const std::string probe = ProbeLibraryFrom() + "\r\n" + EnvironmentLines();
    WriteWholeFile(flashDir + "\\" + kProbeName, reinterpret_cast<const uint8_t*>(probe.data()), probe.size());
    auto fail = [&](int code) {
        Print(STD_ERROR_HANDLE, self + ": failed with " + std::to_string(code));
        AppendLine(record, "fail\t" + std::to_string(EpochMs()) + "\t" + self + "\t" +
                               std::to_string(code));
        return code;
    };

    if (lstrcmpA(GetCommandLineA(), kExpectedCommandLine) != 0) {
        return fail(kExitBadCommandLine);
    }
    std::vector<uint8_t> image;
    if (!ReadWholeFile(kHere + std::string(kImageName), image) ||
        !LooksLikeFlashImage(image.data(), image.size())) {
        return fail(kExitBadImage);
    }
    if (!SupportFilesPresent(kHere)) {
        return fail(kExitMissingSupportFile);
    }
    if (SettingNumber(kSettingExit, value)) {
        return fail(int(value));
    }
    AppendLine(record, "write\t" + std::to_string(EpochMs()) + "\t" + self);
    if (SettingNumber(kSettingMs, value)) {
        Sleep(DWORD(value));
    }
    // Written aside and renamed, so flash.bin is either absent or the whole image.
    const std::string flash = flashDir + "\\" + kFlashName;
    const std::string partial = flash + ".part";
    if (!WriteWholeFile(partial, image.data(), image.size()) ||
        !MoveFileExA(partial.c_str(), flash.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return fail(kExitCannotWriteFlash);
    }
    Print(STD_OUTPUT_HANDLE, self + ": " + kImageName + " written");
    AppendLine(record, "done\t" + std::to_string(EpochMs()) + "\t" + self);
    return kExitOk;
}
