// ExtractPayload: the Windows reader of the payload container.
#include "payload/ExtractPayload.h"

#include <windows.h>

#include <memory>
#include <new>

#include "base/RelativeFiles.h"
#include "base/WinHandle.h"
#include "payload/FileSource.h"
#include "payload/PayloadFormat.h"

namespace vq {
namespace {


// Creates the output file first, then reads the whole extent into one buffer of exactly its
// length and writes it with one call.
bool CopyEntry(FileSource& exe, const TPayloadEntry& extent, HANDLE destDir, const char* name) {
    UniqueHandle out = OpenRelative(destDir, AsciiToWide(name), Relative::CreateFile, GENERIC_WRITE,
                                    FILE_SHARE_READ);
    if (!out.Valid()) return false;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[extent.Length]);
    if (!buffer) return false;
    if (!exe.Read(extent.Offset, buffer.get(), extent.Length)) return false;
    DWORD written = 0;
    if (!WriteFile(out.Get(), buffer.get(), extent.Length, &written, nullptr) ||
        written != extent.Length)
        return false;
    return out.Close();
}

}  // namespace

bool ExtractPayload(HANDLE exeFile, HANDLE destDir, const char* const* names, uint32_t nameCount) {
    if (exeFile == nullptr || exeFile == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(exeFile, &size)) return false;
    if (size.QuadPart > kMaxFileSize) return false;

    FileSource exe(exeFile);
    TContainerInfo info;
    if (ReadContainerHeader(exe, static_cast<uint32_t>(size.QuadPart), info) != ContainerError::None)
        return false;
    const uint32_t count = info.Header.EntryCount;
    if (count > nameCount) return false;

    // The header check bounds count by the file's size, so the table stays small. Every
    // record is read and checked before the first output file exists.
    std::unique_ptr<TPayloadEntry[]> table;
    if (count > 0) {
        table.reset(new (std::nothrow) TPayloadEntry[count]);
        if (!table) return false;
        if (ReadContainerRecords(exe, info, table.get()) != ContainerError::None) return false;
    }

    for (uint32_t pos = 0; pos < count; ++pos)
        if (names[pos] == nullptr) return false;

    for (uint32_t pos = 0; pos < count; ++pos) {
        if (!CopyEntry(exe, EntryExtent(info, table.get(), pos), destDir, names[pos])) return false;
    }
    return true;
}

}  // namespace vq
