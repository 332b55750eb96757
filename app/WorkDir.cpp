// Where the Windows program's work directory lies, given the executable's path.
#include "app/WorkDir.h"

#include "base/Paths.h"
#include "base/Product.h"

namespace vq {

std::wstring WorkDirOf(std::wstring_view exePath) {
    const std::string_view name = kWorkDirName;
    return PathInDir(FolderOf(exePath), std::wstring(name.begin(), name.end()));
}

}  // namespace vq
