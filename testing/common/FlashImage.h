// What the test flash image looks like: its size and the flash-descriptor signature it carries.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vq::testing {

inline constexpr size_t kFlashImageSize = 4194304;  // 4 MiB SPI flash
inline constexpr size_t kDescriptorSignatureOffset = 16;
inline constexpr uint8_t kDescriptorSignature[4] = {0x5A, 0xA5, 0xF0, 0x0F};

// True when the bytes are a whole image of the right size carrying the descriptor signature.
inline bool LooksLikeFlashImage(const uint8_t* data, size_t size) {
    if (size != kFlashImageSize) {
        return false;
    }
    for (size_t i = 0; i < sizeof(kDescriptorSignature); ++i) {
        if (data[kDescriptorSignatureOffset + i] != kDescriptorSignature[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace vq::testing
