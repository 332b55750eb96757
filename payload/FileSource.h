// An open file as the format's readers see it: exact reads at absolute positions.
#pragma once

#include <windows.h>

#include <stdint.h>

namespace vq {

// Every position is below 2^31 (larger files are refused first), so a plain 32-bit signed
// seek distance without a high part reaches it.
class FileSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}

    bool Seek(uint32_t pos) {
        return SetFilePointer(file_, static_cast<LONG>(pos), nullptr, FILE_BEGIN) == pos;
    }

    bool Read(uint32_t pos, void* dst, uint32_t len) {
        if (!Seek(pos)) return false;
        DWORD got = 0;
        return ReadFile(file_, dst, len, &got, nullptr) != 0 && got == len;
    }

private:
    HANDLE file_;
};

}  // namespace vq
