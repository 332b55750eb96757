// Path rules of the Windows program: where the work directory lies, given the executable's path.
#include "app/WorkDir.h"

#include "base/Product.h"

namespace vq {

namespace {

template <class Char>
std::basic_string<Char> DirOf(std::basic_string_view<Char> exePath) {
    const size_t slash = exePath.rfind(Char('\\'));
    return slash == std::basic_string_view<Char>::npos ? std::basic_string<Char>()
                                                       : std::basic_string<Char>(exePath.substr(0, slash + 1));
}

template <class Char>
std::basic_string<Char> WorkOf(std::basic_string_view<Char> exePath) {
    const std::string_view name = kWorkDirName;
    return DirOf(exePath).append(name.begin(), name.end());
}

}  // namespace

std::string ExeDirOf(std::string_view exePath) { return DirOf(exePath); }
std::wstring ExeDirOf(std::wstring_view exePath) { return DirOf(exePath); }
std::string WorkDirOf(std::string_view exePath) { return WorkOf(exePath); }
std::wstring WorkDirOf(std::wstring_view exePath) { return WorkOf(exePath); }

}  // namespace vq
