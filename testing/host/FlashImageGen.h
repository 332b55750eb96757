// The deterministic test flash image: same bytes on every build, so a wrong byte anywhere shows.
#pragma once

#include <stdint.h>

#include <vector>

namespace vq::testing {

// 4 MiB in 4 KiB blocks, each either erased (0xFF, as unused flash is) or filled from a
// fixed-seed generator, with the descriptor signature at offset 16.
std::vector<uint8_t> MakeFlashImage();

}  // namespace vq::testing
