// Unpacks the container appended to the running executable into numbered files.
#include "dos/DosExeSource.h"
#include "dos/DosSteps.h"
#include "dos/rt/Files.h"
#include "dos/rt/Memory.h"
#include "payload/PayloadFormat.h"

namespace vq::dos {
namespace {

// More entries than this are refused: the table lives in the data group.
constexpr uint32_t kMaxEntries = 256;
vq::TPayloadEntry gEntries[kMaxEntries];

// Copies one extent through the far buffer; a short read or write fails the copy.
bool CopyExtent(rt::DosFile& exe, const vq::TPayloadEntry& extent, uint16_t out, uint16_t bufSeg) {
    if (!exe.Seek(extent.Offset)) return false;
    for (uint32_t remaining = extent.Length; remaining != 0;) {
        const uint16_t chunk = NextChunk(remaining);
        uint16_t got, written;
        if (!rt::ReadFar(exe.Handle(), bufSeg, 0, chunk, got) || got != chunk) return false;
        if (!rt::WriteFar(out, bufSeg, 0, chunk, written) || written != chunk) return false;
        remaining -= chunk;
    }
    return true;
}

bool WriteEntry(rt::DosFile& exe, const vq::TPayloadEntry& extent, const char* path) {
    rt::DosFile out;
    if (!out.Create(path, rt::kAttrReadOnly)) return false;
    rt::DosBlock buffer;
    if (!buffer.Alloc(kCopyChunkBytes)) return false;
    const bool copied = CopyExtent(exe, extent, out.Handle(), buffer.Segment());
    return out.Close() && copied;
}

}  // namespace

bool DosExtractPayload(const char* exePath, const char* destDir) {
    rt::DosFile exe;
    uint32_t size;
    if (!exe.Open(exePath, rt::kOpenRead) || !exe.Size(size)) return false;
    ExeSource src{exe};
    vq::TContainerInfo info;
    if (vq::ReadContainerHeader(src, size, info) != vq::ContainerError::None) return false;
    const uint32_t count = info.Header.EntryCount;
    if (count == 0 || count > kMaxEntries) return false;
    if (vq::ReadContainerRecords(src, info, gEntries) != vq::ContainerError::None) return false;
    for (uint32_t i = 0; i < count; ++i) {
        char path[kPathBytes];
        if (!FormEntryPath(destDir, i, path)) return false;
        if (!WriteEntry(exe, vq::EntryExtent(info, gEntries, i), path)) return false;
    }
    return true;
}

}  // namespace vq::dos
