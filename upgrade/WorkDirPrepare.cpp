// Makes the work directory fresh before the payload goes into it: the program's own, empty,
// and writable only by Administrators and SYSTEM.
#include "upgrade/WorkDirPrepare.h"

#include <windows.h>
#include <sddl.h>

#include "upgrade/WorkDirCleanup.h"

namespace vq {

namespace {

bool CreateProtectedDirectory(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kWorkDirSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    // Fails when anything has taken the name since it was found free, a link included.
    const bool made = CreateDirectoryA(path.c_str(), &attributes) != 0;
    LocalFree(descriptor);
    return made;
}

}  // namespace

bool PrepareWorkDirectory(const std::string& workDir) {
    // A bare name would put the work directory wherever the current directory happens to be.
    const size_t slash = workDir.rfind('\\');
    if (slash == std::string::npos) {
        return false;
    }
    switch (KindOf(workDir)) {
        case PathKind::Missing:
            break;
        case PathKind::Directory:
            // Whatever lies in it would sit beside the tools while they run elevated: a DLL under
            // a name the flash tool loads from its own folder would run with them. Removed rather
            // than only emptied, so the new directory is ours, with our access list.
            CleanWorkDirectory(workDir, workDir.substr(0, slash + 1));
            if (KindOf(workDir) != PathKind::Missing) {
                return false;
            }
            break;
        case PathKind::ReparsePoint:
        case PathKind::Other:
            // Working through a link would write and run the tools in its target, and the
            // clean-up would empty that; a file there is somebody's data.
            return false;
    }
    if (!CreateProtectedDirectory(workDir)) {
        return false;
    }
    SetFileAttributesA(workDir.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

}  // namespace vq
