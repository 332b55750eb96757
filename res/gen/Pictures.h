// The program's two pictures: the main icon and the upgrade button's glyph.
#pragma once

#include "res/gen/Raster.h"

namespace vq::res {

inline constexpr int kIconSize = 128;
inline constexpr int kGlyphSize = 32;

// A dark cube; on its front face a glowing blue arrow points up and to the left. Transparent
// around the cube.
Canvas DrawIcon();

// An amber arrow curving up and to the right on a near-black rounded square with a light rim,
// on opaque white (the button draws white as transparent).
Canvas DrawGlyph();

}  // namespace vq::res
