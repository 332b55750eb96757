// vq::UniqueHandle: sole owner of one kernel handle, closed when the owner goes away.
#pragma once

#include <windows.h>

namespace vq {

// Move-only; no implicit conversion to or from HANDLE. Null and INVALID_HANDLE_VALUE both mean
// "nothing owned", because CreateFileA reports failure with one and most other calls with the
// other. Not for pseudo-handles: GetCurrentProcess() is INVALID_HANDLE_VALUE's bit pattern.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle_(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

    // Gives up ownership without closing.
    HANDLE Release() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }

    // Closes what is owned (ignoring the result) and takes h instead.
    void Reset(HANDLE h = nullptr) {
        if (Valid()) CloseHandle(handle_);
        handle_ = h;
    }

    // Closes now and says whether the close succeeded; for files written through this handle a
    // failed close can mean data that never reached the disk. Empty afterwards either way.
    bool Close() {
        const bool ok = Valid() && CloseHandle(handle_) != 0;
        handle_ = nullptr;
        return ok;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace vq
