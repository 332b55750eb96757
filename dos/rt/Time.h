// Waiting, by the DOS clock.
#pragma once

#include <stdint.h>

namespace vq::rt {

void WaitSeconds(uint16_t seconds);
// The time of day in hundredths of a second (DOSBox advances it by BIOS ticks, 1/18.2 s).
uint32_t NowHundredths();

// Hundredths of a second from a to b on a clock that wraps at midnight.
inline constexpr uint32_t kHundredthsPerDay = 24u * 60 * 60 * 100;
inline constexpr uint32_t ElapsedHundredths(uint32_t a, uint32_t b) {
    return b >= a ? b - a : kHundredthsPerDay - a + b;
}

}  // namespace vq::rt
