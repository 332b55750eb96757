// Waiting out a hold that passes: a scanner reading the fresh executables of the work directory,
// a console host keeping a tool's printing or folder open for a moment after the tool ended.
#pragma once

#include <windows.h>

namespace vq {

// How long the clean-up waits, in all, for others to let go of the work directory and its files.
// Scanners hold a fresh executable for a second or more, longer on a busy machine; past this the
// upgrade goes on to its end and the directory stays, named, for the next run to remove.
inline constexpr DWORD kCleanHoldBoundMs = 10000;

// One bound for everything a clean-up waits out, spent by pauses that grow from short (most holds
// end within a tick) to a second.
class HoldBackoff {
public:
    explicit HoldBackoff(DWORD boundMs = kCleanHoldBoundMs) : end_(GetTickCount64() + boundMs) {}

    // Pauses a little longer than the last time, never past the bound; false, at once, once the
    // bound is spent.
    bool Wait() {
        const ULONGLONG now = GetTickCount64();
        if (now >= end_) return false;
        const ULONGLONG left = end_ - now;
        Sleep(DWORD(left < pauseMs_ ? left : pauseMs_));
        pauseMs_ = pauseMs_ * 2 < kLongestPauseMs ? pauseMs_ * 2 : kLongestPauseMs;
        return true;
    }

private:
    static constexpr DWORD kFirstPauseMs = 20;
    static constexpr DWORD kLongestPauseMs = 1000;
    ULONGLONG end_;
    DWORD pauseMs_ = kFirstPauseMs;
};

}  // namespace vq
