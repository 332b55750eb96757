// Appending a payload container to an executable image: the one writer of the format.
#include "tools/vqpack/ContainerWriter.h"

#include "payload/PayloadFormat.h"

namespace vq {
namespace {

void AppendLE32(Bytes& out, uint32_t v) {
    uint8_t b[4];
    WriteLE32(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace

bool BuildContainer(const Bytes& image, const std::vector<Bytes>& entries, Bytes& out,
                    std::string& err) {
    // Sum in 64 bits so that no combination of sizes can wrap before it is refused.
    uint64_t total = uint64_t(image.size()) + kHeaderSize + kTrailerSize;
    for (const Bytes& e : entries) total += kRecordSize + uint64_t(e.size());
    if (total > kMaxFileSize) {
        err = "the container would be " + std::to_string(total) + " bytes; 2 GiB is the limit";
        return false;
    }
    const uint32_t imageSize = static_cast<uint32_t>(image.size());

    out.clear();
    out.reserve(static_cast<size_t>(total));
    out.insert(out.end(), image.begin(), image.end());
    AppendLE32(out, kPayloadMagic);
    AppendLE32(out, static_cast<uint32_t>(total));
    AppendLE32(out, static_cast<uint32_t>(entries.size() + 1));
    for (const Bytes& e : entries) {
        AppendLE32(out, static_cast<uint32_t>(out.size() + kRecordSize));
        AppendLE32(out, static_cast<uint32_t>(e.size()));
        out.insert(out.end(), e.begin(), e.end());
    }
    AppendLE32(out, imageSize);
    return true;
}

}  // namespace vq
