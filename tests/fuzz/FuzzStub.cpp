// libFuzzer target: vqpack stub's PE reader and patcher over arbitrary images. Whatever it
// accepts comes out with the DOS program in front, the PE headers at 0x5000 changed only in the
// fields the move changes, and as many bytes after the new headers as the input had after its own.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "payload/PayloadFormat.h"
#include "payload/PeFormat.h"
#include "tools/vqpack/Bytes.h"
#include "tools/vqpack/Stub.h"

namespace {

constexpr uint32_t kPeAt = vq::kPeHeaderOffset;

// The smallest DOS program the splice takes: one 64-byte header and nothing to load.
vq::Bytes DosProgram() {
    vq::Bytes dos(64, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    dos[vq::kMzLastPageBytes] = vq::kMzHeaderSize;
    dos[vq::kMzPages] = 1;
    dos[8] = vq::kMzHeaderSize / 16;  // header paragraphs
    dos[vq::kMzRelocTable] = vq::kMzHeaderSize;  // relocation table, empty
    return dos;
}

uint32_t SizeOfHeaders(const vq::Bytes& b, uint32_t pe) {
    return vq::ReadLE32(&b[pe + vq::kOptionalHeaderOffset + vq::kSizeOfHeadersOffset]);
}

// The output's first SizeOfHeaders bytes are the DOS program, zeros, and the input's PE headers
// at 0x5000 followed by zeros. Only SizeOfHeaders, CheckSum, PointerToSymbolTable and the
// sections' file pointers may differ; the splice writes nothing else there.
bool HeadersAsCopied(const vq::Bytes& dos, const vq::Bytes& pe, const vq::Bytes& out, uint32_t newHeaders) {
    const uint32_t from = vq::ReadLE32(&pe[vq::kLfanewOffset]), opt = from + vq::kOptionalHeaderOffset;
    const uint32_t sections = opt + vq::ReadLE16(&pe[from + vq::kSizeOfOptionalHeaderOffset]);
    const uint32_t count = vq::ReadLE16(&pe[from + vq::kNumberOfSectionsOffset]);
    const uint32_t headersEnd = sections + count * vq::kSectionHeaderSize;
    std::vector<bool> patched(headersEnd - from, false);
    auto mark = [&](uint32_t field) { std::fill_n(patched.begin() + (field - from), 4, true); };
    mark(opt + vq::kSizeOfHeadersOffset);
    mark(opt + vq::kCheckSumOffset);
    mark(from + vq::kPointerToSymbolTableOffset);
    for (uint32_t i = 0; i < count; ++i)
        for (uint32_t field : {vq::kSectionPointerToRawData, vq::kSectionPointerToRelocations,
                               vq::kSectionPointerToLinenumbers})
            mark(sections + i * vq::kSectionHeaderSize + field);
    vq::Bytes expect(dos);
    vq::WriteLE32(&expect[vq::kLfanewOffset], kPeAt);
    expect.resize(kPeAt, 0);
    expect.insert(expect.end(), pe.begin() + from, pe.begin() + headersEnd);
    expect.resize(newHeaders, 0);
    if (!std::equal(expect.begin(), expect.begin() + kPeAt, out.begin())) return false;
    for (uint32_t i = kPeAt; i < newHeaders; ++i) {
        const bool mayDiffer = i - kPeAt < patched.size() && patched[i - kPeAt];
        if (out[i] != expect[i] && !mayDiffer) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vq::Bytes dos = DosProgram();
    const vq::Bytes pe(data, data + size);
    vq::Bytes out;
    std::string err;
    if (!vq::PlaceDosProgram(dos, pe, out, err)) {
        if (err.empty()) abort();
        return 0;
    }
    using vq::kLfanewOffset;
    if (out.size() < kPeAt + vq::kOptionalHeaderOffset + vq::kCheckSumOffset || !std::equal(dos.begin(), dos.begin() + kLfanewOffset, out.begin()) ||
        vq::ReadLE32(&out[kLfanewOffset]) != kPeAt || vq::ReadLE32(&out[kPeAt]) != vq::kPeSignature)
        abort();
    const uint32_t oldHeaders = SizeOfHeaders(pe, vq::ReadLE32(&pe[kLfanewOffset]));
    const uint32_t newHeaders = SizeOfHeaders(out, kPeAt);
    if (newHeaders < kPeAt || out.size() - newHeaders != pe.size() - oldHeaders) abort();
    if (!HeadersAsCopied(dos, pe, out, newHeaders)) abort();
    return 0;
}
