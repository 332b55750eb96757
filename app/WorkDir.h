// Where the Windows program's work directory lies, given the executable's path.
#pragma once

#include <string>
#include <string_view>

namespace vq {

// The executable's folder followed by "VqPTemp", without a trailing "\": C:\Tools\Vorquint.exe
// gives C:\Tools\VqPTemp, D:\Vorquint.exe gives D:\VqPTemp, a bare name the bare "VqPTemp".
std::wstring WorkDirOf(std::wstring_view exePath);

}  // namespace vq
