// Byte access to memory outside the data group (DOS memory blocks, the environment, video RAM).
// FS is ours alone: the compiler never uses it.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline uint8_t FarPeek(uint16_t seg, uint16_t off) {
    uint8_t v;
    asm volatile("movw %w1, %%fs\n\tmovb %%fs:(%2), %0" : "=q"(v) : "r"(seg), "r"(uint32_t(off)) : "memory");
    return v;
}

inline void FarPoke(uint16_t seg, uint16_t off, uint8_t v) {
    asm volatile("movw %w0, %%fs\n\tmovb %2, %%fs:(%1)" : : "r"(seg), "r"(uint32_t(off)), "q"(v) : "memory");
}

// One store: an interrupt sees all four bytes changed or none (an interrupt vector, say).
inline void FarPoke32(uint16_t seg, uint16_t off, uint32_t v) {
    asm volatile("movw %w0, %%fs\n\tmovl %2, %%fs:(%1)" : : "r"(seg), "r"(uint32_t(off)), "r"(v) : "memory");
}

inline uint16_t FarPeek16(uint16_t seg, uint16_t off) {
    return uint16_t(FarPeek(seg, off) | FarPeek(seg, uint16_t(off + 1)) << 8);
}

}  // namespace vq::rt
