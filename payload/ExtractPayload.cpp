// ExtractPayload: the Windows reader of the payload container.
#include "payload/ExtractPayload.h"

#include <windows.h>

#include <memory>
#include <new>

#include "payload/PayloadFormat.h"
#include "base/WinHandle.h"
#include "payload/ReadSource.h"

namespace vq {
namespace {

// destDir + "\" + name into out; false when it would not fit an ANSI path.
bool JoinPath(const char* destDir, const char* name, char (&out)[MAX_PATH]) {
    size_t n = 0;
    for (const char* s = destDir; *s; ++s) {
        if (n + 1 >= MAX_PATH) return false;
        out[n++] = *s;
    }
    if (n + 1 >= MAX_PATH) return false;
    out[n++] = '\\';
    for (const char* s = name; *s; ++s) {
        if (n + 1 >= MAX_PATH) return false;
        out[n++] = *s;
    }
    out[n] = '\0';
    return true;
}

// Creates the output file first, then reads the whole extent into one buffer of exactly its
// length and writes it with one call.
bool CopyEntry(FileSource& exe, const TPayloadEntry& extent, const char* path) {
    UniqueHandle out(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
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

bool ExtractPayload(HANDLE exeFile, const char* destDir, const char* const* names, uint32_t nameCount) {
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

    // Every output path fits before the first file is created.
    char path[MAX_PATH];
    for (uint32_t pos = 0; pos < count; ++pos)
        if (names[pos] == nullptr || !JoinPath(destDir, names[pos], path)) return false;

    for (uint32_t pos = 0; pos < count; ++pos) {
        JoinPath(destDir, names[pos], path);
        if (!CopyEntry(exe, EntryExtent(info, table.get(), pos), path)) return false;
    }
    return true;
}

}  // namespace vq
