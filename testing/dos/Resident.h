// Ending a double as a program that stays resident (INT 21h 31h): DOS reports that to the parent
// as termination type 3, not as a normal end, whatever the exit code. Of the abnormal ends, this
// is the one DOSBox shows; it has no Ctrl-C check and raises no critical-error Abort.
#pragma once

#include <stdint.h>

#include "dos/rt/Files.h"

namespace vq::testing {

inline constexpr uint16_t kResidentParagraphs = 16;  // the PSP alone: nothing of ours is called again

inline void EndResidentIfAsked(const char* switchPath, uint8_t code) {
    if (!rt::PathExists(switchPath)) return;
    asm volatile("int $0x21" : : "a"(uint32_t(0x3100u | code)), "d"(uint32_t(kResidentParagraphs)) : "memory");
    __builtin_unreachable();
}

}  // namespace vq::testing
