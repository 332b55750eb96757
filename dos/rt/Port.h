// I/O port access: bytes for chipset registers, 32-bit for PCI configuration space.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline void Out8(uint16_t port, uint8_t v) { asm volatile("outb %0, %w1" : : "a"(v), "Nd"(port)); }

inline uint8_t In8(uint16_t port) {
    uint8_t v;
    asm volatile("inb %w1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

inline void Out32(uint16_t port, uint32_t v) { asm volatile("outl %0, %w1" : : "a"(v), "Nd"(port)); }

inline uint32_t In32(uint16_t port) {
    uint32_t v;
    asm volatile("inl %w1, %0" : "=a"(v) : "Nd"(port));
    return v;
}

}  // namespace vq::rt
