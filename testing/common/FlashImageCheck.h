// Whether bytes are a whole flash image, as the flash tool doubles judge what they are handed.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "payload/FlashImageFormat.h"

namespace vq::testing {

inline bool LooksLikeFlashImage(const uint8_t* data, size_t size) {
    return size == kFlashImageSize && HasFlashDescriptor(data, size);
}

}  // namespace vq::testing
