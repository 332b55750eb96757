// Small pieces of wording every vqpack message shares.
#pragma once

#include <stdint.h>

#include <string>

namespace vq {

// "1 entry", "2 entries".
inline std::string CountOf(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace vq
