// What both faces of the program share of the product: its title and its work directory's name.
// Freestanding, so the DOS program includes it too.
#pragma once

namespace vq {

inline constexpr const char* kProductTitle = "Zintara v1.0.983.0";  // window caption, DOS title line
inline constexpr const char* kWorkDirName = "VqPTemp";

}  // namespace vq
