// Path rules of the Windows program: where the work directory lies, given the executable's path.
#include "app/WorkDir.h"

namespace vq {

std::string ExeDirOf(std::string_view exePath) {
    const size_t slash = exePath.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(exePath.substr(0, slash + 1));
}

std::string WorkDirOf(std::string_view exePath) {
    return ExeDirOf(exePath).append(kWorkDirName);
}

}  // namespace vq
