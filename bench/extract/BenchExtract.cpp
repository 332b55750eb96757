// Benchmark: ExtractPayload on a release-shaped container against CopyFileA of the same bytes,
// and the extra peak memory one extraction takes. Not a test: it prints, it does not judge.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/WinHandle.h"
#include "payload/ExtractPayload.h"
#include "payload/PayloadEntries.h"
#include "tools/vqpack/ContainerWriter.h"

namespace {

// The shipped payload's shape: image size and the length of every stored entry.
constexpr uint32_t kImageSize = 706048;
constexpr uint32_t kEntryLengths[] = {39910, 84992, 1363, 253426, 175933, 179528,
                                      26018, 30232, 36498, 41262, 2929974};
constexpr uint32_t kFileSize = 4505288;
constexpr int kRepetitions = 7;

vq::Bytes Filled(uint32_t size, uint32_t seed) {
    vq::Bytes b(size);
    for (auto& v : b) {
        seed = seed * 1664525u + 1013904223u;
        v = uint8_t(seed >> 24);
    }
    return b;
}

bool MakeContainerFile(const std::string& path) {
    std::vector<vq::Bytes> entries;
    for (uint32_t i = 0; i < std::size(kEntryLengths); ++i) entries.push_back(Filled(kEntryLengths[i], i + 1));
    vq::Bytes file;
    std::string err;
    if (!vq::BuildContainer(Filled(kImageSize, 0), entries, file, err) || file.size() != kFileSize) {
        fprintf(stderr, "bench: could not build the container: %s\n", err.c_str());
        return false;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, file.data(), DWORD(file.size()), &written, nullptr) &&
                    written == file.size();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok;
}

double Seconds() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

// As the program holds its own file.
vq::UniqueHandle OpenForReading(const char* path) {
    return vq::UniqueHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The extraction as the upgrade calls it: the executable and the (emptied) directory opened first.
bool Extract(const char* exe, const char* dir) {
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*", dir);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char path[MAX_PATH];
            snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    const vq::UniqueHandle file = OpenForReading(exe);
    const vq::UniqueHandle folder(CreateFileA(dir, FILE_LIST_DIRECTORY | FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && folder.Valid() && vq::ExtractPayload(file.Get(), folder.Get(), vq::kPayloadFileNames);
}

// Run in a fresh process so that nothing but the extraction raises the peaks.
int MeasureMemory(const char* exe, const char* dir) {
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    if (!Extract(exe, dir)) {
        fprintf(stderr, "bench: extraction failed\n");
        return 1;
    }
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    printf("extra peak working set:   %8.1f KiB\n",
           double(after.PeakWorkingSetSize - before.PeakWorkingSetSize) / 1024.0);
    printf("extra peak pagefile use:  %8.1f KiB   (largest entry %u bytes = %.1f KiB)\n",
           double(after.PeakPagefileUsage - before.PeakPagefileUsage) / 1024.0, kEntryLengths[10],
           kEntryLengths[10] / 1024.0);
    return 0;
}

int RunChild(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--memory") == 0) return MeasureMemory(argv[2], argv[3]);

    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    const std::string work = std::string(tmp) + "vq-bench-extract";
    const std::string exe = work + "\\Vorquint.exe", copy = work + "\\copy.exe", out = work + "\\VqPTemp";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(out.c_str(), nullptr);
    if (!MakeContainerFile(exe)) return 1;

    std::vector<double> extract, copyTimes;
    for (int rep = 0; rep < kRepetitions; ++rep) {
        // Alternate the order so neither side always runs on a warmer cache.
        for (int side = 0; side < 2; ++side) {
            const bool doExtract = (side == 0) == (rep % 2 == 0);
            const double t0 = Seconds();
            const bool ok = doExtract ? Extract(exe.c_str(), out.c_str())
                                      : CopyFileA(exe.c_str(), copy.c_str(), FALSE) != 0;
            const double t = Seconds() - t0;
            if (!ok) {
                fprintf(stderr, "bench: %s failed\n", doExtract ? "ExtractPayload" : "CopyFileA");
                return 1;
            }
            (doExtract ? extract : copyTimes).push_back(t);
        }
    }
    printf("container: %u bytes, %zu entries (release shape)\n", kFileSize, std::size(kEntryLengths) + 1);
    printf("%-16s", "rep");
    for (int i = 0; i < kRepetitions; ++i) printf(" %7d", i + 1);
    printf("   median\n%-16s", "ExtractPayload");
    for (double t : extract) printf(" %6.2fms", t * 1e3);
    printf(" %6.2fms\n%-16s", Median(extract) * 1e3, "CopyFileA");
    for (double t : copyTimes) printf(" %6.2fms", t * 1e3);
    printf(" %6.2fms\n", Median(copyTimes) * 1e3);
    printf("ratio ExtractPayload / CopyFileA (medians): %.2f\n", Median(extract) / Median(copyTimes));
    fflush(stdout);

    const std::string fresh = work + "\\VqPTemp2";
    CreateDirectoryA(fresh.c_str(), nullptr);
    std::string cmd;
    for (const std::string& part : {std::string(argv[0]), std::string("--memory"), exe, fresh})
        cmd.append(cmd.empty() ? "\"" : " \"").append(part).append("\"");
    return RunChild(cmd);
}
