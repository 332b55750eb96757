// Benchmark: what the signature check adds to an upgrade (SignedBytesMatch on the held file),
// against one plain read of the whole file. Not a test: it prints, it does not judge.
//   bench_trust FILE...
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "base/WinHandle.h"
#include "payload/SignatureCheck.h"

namespace {

constexpr int kRepetitions = 7;

double Seconds() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

vq::UniqueHandle Open(const char* path) {
    return vq::UniqueHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadWhole(const char* path) {
    vq::UniqueHandle f = Open(path);
    LARGE_INTEGER size;
    if (!f.Valid() || !GetFileSizeEx(f.Get(), &size)) return false;
    std::vector<char> buffer(size_t(size.QuadPart));
    DWORD got = 0;
    return ReadFile(f.Get(), buffer.data(), DWORD(buffer.size()), &got, nullptr) && got == buffer.size();
}

}  // namespace

int main(int argc, char** argv) {
    printf("%-40s %10s %10s %10s %7s %s\n", "file", "bytes", "read ms", "check ms", "ratio", "verdict");
    for (int i = 1; i < argc; ++i) {
        const char* path = argv[i];
        std::vector<double> reads, checks;
        bool ok = true, match = false;
        for (int rep = 0; rep < kRepetitions && ok; ++rep) {
            // The held handle is opened at start-up, long before the click: only the check counts.
            vq::UniqueHandle held = Open(path);
            double t0 = Seconds();
            ok = ReadWhole(path);
            reads.push_back(Seconds() - t0);
            t0 = Seconds();
            match = vq::SignedBytesMatch(held.Get());
            checks.push_back(Seconds() - t0);
        }
        if (!ok) {
            fprintf(stderr, "bench: cannot read %s\n", path);
            return 1;
        }
        WIN32_FILE_ATTRIBUTE_DATA a;
        GetFileAttributesExA(path, GetFileExInfoStandard, &a);
        const double r = Median(reads) * 1000, c = Median(checks) * 1000;
        const char* name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
        printf("%-40s %10lu %10.1f %10.1f %7.1f %s\n", name, a.nFileSizeLow, r, c, c / r,
               match ? "bytes match" : "refused");
    }
    return 0;
}
