// The Windows face's one way to join a path and to split one into its folder and its name.
#include "base/Paths.h"

namespace vq {

namespace {

// Where the name starts: just after the last "\", or at 0.
size_t NameStart(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? 0 : slash + 1;
}

}  // namespace

std::wstring PathInDir(std::wstring_view dir, std::wstring_view name) {
    std::wstring path(dir);
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path.append(name);
}

std::wstring FolderOf(std::wstring_view path) {
    return std::wstring(path.substr(0, NameStart(path)));
}

std::wstring_view NameOf(std::wstring_view path) {
    return path.substr(NameStart(path));
}

}  // namespace vq
