// Path rules of the Windows program: where the work directory lies, given the executable's path
// (UTF-16 as the program uses it; ANSI for the tests that look at the same rule).
#pragma once

#include <string>
#include <string_view>

namespace vq {

// The executable's directory up to and including its last "\" ("" when there is none):
// C:\Tools\Vorquint.exe gives C:\Tools\ and D:\Vorquint.exe the root D:\ itself.
std::string ExeDirOf(std::string_view exePath);
std::wstring ExeDirOf(std::wstring_view exePath);

// The executable's directory followed by "VqPTemp", without a trailing "\".
std::string WorkDirOf(std::string_view exePath);
std::wstring WorkDirOf(std::wstring_view exePath);

}  // namespace vq
