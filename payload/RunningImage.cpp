// OpenRunningImage: the running executable, found through its mapping rather than by a name.
#include "payload/RunningImage.h"

#include <windows.h>

#include <string>

#include "base/ProcessInfo.h"
#include "base/SystemCalls.h"

namespace vq {
namespace {

// The NT name of the file mapped at the program's base; empty when unknown. Windows gives the
// file's current name, so it follows a rename of the running image; Wine keeps the name it
// started from, which may by now be another file's.
std::wstring MappedImageName(GetMappedFileNameWFn fn) {
    void* base = GetModuleHandleW(nullptr);
    return GrowingPath([fn, base](wchar_t* buffer, DWORD room) { return fn(GetCurrentProcess(), base, buffer, room); });
}

// An NT name as CreateFileW takes it: a device path ("\Device\HarddiskVolume3\...", Windows)
// through the GLOBALROOT link, a DOS-device path ("\??\C:\...", Wine) as "\\?\C:\...".
std::wstring OpenableName(const std::wstring& nt) {
    constexpr wchar_t kDosDevices[] = L"\\??\\";
    constexpr size_t kDosDevicesLength = sizeof kDosDevices / sizeof kDosDevices[0] - 1;
    if (nt.compare(0, kDosDevicesLength, kDosDevices) == 0) return L"\\\\?\\" + nt.substr(kDosDevicesLength);
    return L"\\\\?\\GLOBALROOT" + nt;
}

// True when `file` is the file this program's image was mapped from.
bool IsRunningImage(HANDLE file) {
    // Every NT system has the call; where it is missing nothing can tell, and a file not known
    // to be the running one is not read.
    const NtAreMappedFilesTheSameFn same = LookUpNtAreMappedFilesTheSame();
    if (!same) return false;
    const UniqueHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.Valid()) return false;
    void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 1);
    if (!view) return false;
    const bool isImage = same(GetModuleHandleW(nullptr), view) == 0;
    UnmapViewOfFile(view);
    return isImage;
}

}  // namespace

UniqueHandle OpenRunningImage() {
    const GetMappedFileNameWFn fn = LookUpGetMappedFileName();
    if (!fn) return UniqueHandle();
    const std::wstring name = MappedImageName(fn);
    if (name.empty()) return UniqueHandle();
    UniqueHandle file(CreateFileW(OpenableName(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // The file now held can no longer be renamed or deleted. Whether it is the one the program
    // runs from the system says of the two objects: the image was renamed away before the
    // open, and another file put under its name, in any number of ways a name cannot tell.
    if (!file.Valid() || !IsRunningImage(file.Get())) return UniqueHandle();
    return file;
}

}  // namespace vq
