// OpenRunningImage: the running executable, found through its mapping rather than by a name.
#include "payload/RunningImage.h"

#include <windows.h>

#include <string>

#include "base/SystemCalls.h"

namespace vq {
namespace {

// The NT name of the file mapped at the program's base; empty when unknown. Windows gives the
// file's current name, so it follows a rename of the running image.
std::wstring MappedImageName(GetMappedFileNameWFn fn) {
    void* base = GetModuleHandleW(nullptr);
    for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
        std::wstring name(size, L'\0');
        const DWORD n = fn(GetCurrentProcess(), base, name.data(), size);
        if (n == 0) return std::wstring();
        if (n < size - 1) {
            name.resize(n);
            return name;
        }
    }
    return std::wstring();
}

// An NT name as CreateFileW takes it: a device path ("\Device\HarddiskVolume3\...", Windows)
// through the GLOBALROOT link, a DOS-device path ("\??\C:\...", Wine) as "\\?\C:\...".
std::wstring OpenableName(const std::wstring& nt) {
    constexpr wchar_t kDosDevices[] = L"\\??\\";
    constexpr size_t kDosDevicesLength = sizeof kDosDevices / sizeof kDosDevices[0] - 1;
    if (nt.compare(0, kDosDevicesLength, kDosDevices) == 0) return L"\\\\?\\" + nt.substr(kDosDevicesLength);
    return L"\\\\?\\GLOBALROOT" + nt;
}

}  // namespace

UniqueHandle OpenRunningImage() {
    const GetMappedFileNameWFn fn = LookUpGetMappedFileName();
    if (!fn) return UniqueHandle();
    const std::wstring before = MappedImageName(fn);
    if (before.empty()) return UniqueHandle();
    UniqueHandle file(CreateFileW(OpenableName(before).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return UniqueHandle();
    // The file now held can no longer be renamed or deleted. If the image still has the name
    // it was opened by, the two are one file; if the image was renamed away before the open,
    // its name differs now and what was opened stands in its place.
    if (MappedImageName(fn) != before) return UniqueHandle();
    return file;
}

}  // namespace vq
