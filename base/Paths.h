// The Windows face's one way to join a path and to split one into its folder and its name;
// portable, so that the host tree tests it.
#pragma once

#include <string>
#include <string_view>

namespace vq {

// dir + "\" + name, without doubling the "\" of a root such as "D:\".
std::wstring PathInDir(std::wstring_view dir, std::wstring_view name);

// The folder part of a path, up to and including its last "\" ("" when there is none):
// C:\Tools\Vorquint.exe gives C:\Tools\ and D:\Vorquint.exe the root D:\ itself.
std::wstring FolderOf(std::wstring_view path);

// What follows the folder: the whole path when it has no "\", "" when it ends in one.
std::wstring_view NameOf(std::wstring_view path);

}  // namespace vq
