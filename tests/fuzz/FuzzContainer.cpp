// libFuzzer target: the container readers every face shares, checked against a 64-bit model,
// and vqpack's full verdict over the same bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <vector>

#include "payload/PayloadFormat.h"
#include "payload/PeFormat.h"
#include "tools/vqpack/Bytes.h"
#include "tools/vqpack/Verify.h"

namespace {

// The security directory's (offset, size), or size 0 when the headers name none.
void ModelCertTable(const uint8_t* d, uint64_t size, uint64_t& offset, uint64_t& length) {
    offset = length = 0;
    using namespace vq;
    if (size < kMzHeaderSize || ReadLE16(d) != kMzMagic) return;
    const uint64_t pe = ReadLE32(d + kLfanewOffset);
    const uint64_t opt = pe + kOptionalHeaderOffset;
    if (opt + 2 > size || ReadLE32(d + pe) != kPeSignature) return;
    const uint64_t magic = ReadLE16(d + opt);
    const uint64_t dirs = magic == kPe32Magic       ? kPe32DataDirectories
                          : magic == kPe32PlusMagic ? kPe32PlusDataDirectories
                                                    : 0;
    const uint64_t security = dirs + kSecurityDirectory * kDataDirectorySize;
    if (dirs == 0 || ReadLE16(d + pe + kSizeOfOptionalHeaderOffset) < security + kDataDirectorySize ||
        opt + security + kDataDirectorySize > size)
        return;
    if (ReadLE32(d + opt + dirs - kNumberOfRvaAndSizesSize) <= kSecurityDirectory) return;
    offset = ReadLE32(d + opt + security);
    length = ReadLE32(d + opt + security + 4);
}

// Trailer ending at `end` and the magic where it points; c is where it points.
bool ModelHeader(const uint8_t* d, uint64_t end, uint64_t& c) {
    if (end < vq::kTrailerSize + vq::kHeaderSize) return false;
    c = vq::ReadLE32(d + end - vq::kTrailerSize);
    return c + vq::kHeaderSize <= end - vq::kTrailerSize && vq::ReadLE32(d + c) == vq::kPayloadMagic;
}

// The reader's rules written the obvious way, in 64 bits where nothing can wrap.
bool ModelAccepts(const uint8_t* d, uint64_t size) {
    if (size > vq::kMaxFileSize || size < vq::kTrailerSize + vq::kHeaderSize) return false;
    uint64_t tableAt, tableSize, c = 0, fileEnd = size;
    ModelCertTable(d, size, tableAt, tableSize);
    if (tableSize != 0) {
        if (tableAt % 8 != 0 || tableAt + tableSize != size) return false;
        int found = 0;
        for (uint64_t pad = 0; pad < 8 && pad <= tableAt; ++pad) {
            if (pad != 0 && d[tableAt - pad] != 0) break;
            uint64_t at;
            if (ModelHeader(d, tableAt - pad, at) && vq::ReadLE32(d + at + 4) == tableAt - pad) {
                ++found;
                fileEnd = tableAt - pad;
                c = at;
            }
        }
        if (found != 1) return false;
    } else if (!ModelHeader(d, size, c)) {
        return false;
    }
    const uint64_t end = fileEnd - vq::kTrailerSize;
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
                if (uint64_t(e.Offset) + e.Length > info.ContainerEnd - vq::kTrailerSize) abort();
            }
        }
    }
    if (accepted != ModelAccepts(data, size)) abort();

    vq::Bytes file(data, data + size);
    const std::vector<std::string> problems = vq::VerifyContainer(file);
    if (!accepted && problems.empty()) abort();
    return 0;
}
