// What both faces of the program share of the product: its name, title and work directory's name.
// Freestanding, so the DOS program includes it too.
#pragma once

namespace vq {

// The product's name: the taskbar text and the window's heading; the title adds the version.
#define VQ_PRODUCT_NAME "Zintara"
inline constexpr const char* kProductName = VQ_PRODUCT_NAME;
inline constexpr const char* kProductTitle = VQ_PRODUCT_NAME " v1.0.983.0";  // window caption, DOS title line
#undef VQ_PRODUCT_NAME
inline constexpr const char* kWorkDirName = "VqPTemp";

}  // namespace vq
