// libFuzzer target: the container readers every face shares, checked against a 64-bit model,
// and vqpack's full verdict over the same bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "payload/PayloadFormat.h"
#include "tools/vqpack/Bytes.h"
#include "tools/vqpack/Verify.h"

namespace {

// The reader's rules written the obvious way, in 64 bits where nothing can wrap.
bool ModelAccepts(const uint8_t* d, uint64_t size) {
    if (size > vq::kMaxFileSize || size < vq::kTrailerSize + vq::kHeaderSize) return false;
    const uint64_t end = size - vq::kTrailerSize;
    const uint64_t c = vq::ReadLE32(d + end);
    if (c + vq::kHeaderSize > end) return false;
    if (vq::ReadLE32(d + c) != vq::kPayloadMagic) return false;
    const uint64_t count = vq::ReadLE32(d + c + 8);
    uint64_t pos = c + vq::kHeaderSize;
    for (uint64_t i = 1; i < count; ++i) {
        if (pos + vq::kRecordSize > end) return false;
        const uint64_t offset = vq::ReadLE32(d + pos), length = vq::ReadLE32(d + pos + 4);
        pos += vq::kRecordSize;
        if (pos + length > end || offset + length > end) return false;
        pos += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vq::MemorySource src(data, size);
    vq::TContainerInfo info;
    bool accepted = false;
    if (vq::ReadContainerHeader(src, static_cast<uint32_t>(size), info) == vq::ContainerError::None) {
        // Once the header is accepted the table is bounded by the file's size.
        if (uint64_t(info.Header.EntryCount) * vq::kRecordSize > size + vq::kRecordSize) abort();
        std::vector<vq::TPayloadEntry> table(info.Header.EntryCount);
        accepted = table.empty() || vq::ReadContainerRecords(src, info, table.data()) == vq::ContainerError::None;
        if (accepted) {
            for (uint32_t i = 0; i < table.size(); ++i) {
                const vq::TPayloadEntry e = vq::EntryExtent(info, table.data(), i);
                if (uint64_t(e.Offset) + e.Length > size - vq::kTrailerSize) abort();
            }
        }
    }
    if (accepted != ModelAccepts(data, size)) abort();

    vq::Bytes file(data, data + size);
    const std::vector<std::string> problems = vq::VerifyContainer(file);
    if (!accepted && problems.empty()) abort();
    return 0;
}
