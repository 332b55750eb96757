// libFuzzer target: vqpack's gzip member header parser and member check over arbitrary bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "tools/vqpack/GzipMember.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vq::GzipHeader h;
    if (vq::ParseGzipHeader(data, size, h)) {
        if (h.Size > size || h.Size < vq::kGzipFixedHeaderSize) abort();
        if (h.HasName && h.Name.size() >= h.Size) abort();
    }
    vq::GzipContents c;
    const std::vector<std::string> problems = vq::CheckGzipMember(data, size, c);
    if (c.MemberSize > size || c.PrefixSize > vq::kGzipPrefixSize) abort();
    if (problems.empty() && c.MemberSize != size) abort();
    return 0;
}
