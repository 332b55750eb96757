// The flash image the upgrade writes: its size and the flash descriptor's signature. Freestanding,
// so that vqpack's check, the test image and the flash tool doubles read the same facts.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vq {

inline constexpr uint32_t kFlashImageSize = 4194304;  // the 4 MiB SPI flash part
inline constexpr uint32_t kFlashDescriptorOffset = 16;
inline constexpr uint8_t kFlashDescriptorSignature[4] = {0x5A, 0xA5, 0xF0, 0x0F};
inline constexpr uint32_t kFlashDescriptorEnd = kFlashDescriptorOffset + sizeof kFlashDescriptorSignature;

// True when the image's first headSize bytes reach past the signature and carry it.
constexpr bool HasFlashDescriptor(const uint8_t* head, size_t headSize) {
    if (headSize < kFlashDescriptorEnd) return false;
    for (uint32_t i = 0; i < sizeof kFlashDescriptorSignature; ++i)
        if (head[kFlashDescriptorOffset + i] != kFlashDescriptorSignature[i]) return false;
    return true;
}

}  // namespace vq
