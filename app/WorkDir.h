// Path rules of the Windows program: where the work directory lies, given the executable's path.
#pragma once

#include <string>
#include <string_view>

#include "base/Product.h"

namespace vq {

// The executable's directory up to and including its last "\" ("" when there is none):
// C:\Tools\Vorquint.exe gives C:\Tools\ and D:\Vorquint.exe the root D:\ itself.
std::string ExeDirOf(std::string_view exePath);

// The executable's directory followed by "VqPTemp", without a trailing "\".
std::string WorkDirOf(std::string_view exePath);

}  // namespace vq
