// Refuses a signed release whose bytes changed after signing, before anything is created.
#include "dos/DosSignature.h"

#include "dos/DosExeSource.h"
#include "dos/rt/Files.h"
#include "payload/SignedDigest.h"

namespace vq::dos {
namespace {

// In the data group (not the load image): a chunk per read, and what the walk sees of the
// signature's start.
constexpr uint16_t kChunkBytes = 4096;
uint8_t gChunk[kChunkBytes];

}  // namespace

bool DosSignedBytesMatch(const char* exePath) {
    rt::DosFile exe;
    uint32_t size;
    if (!exe.Open(exePath, rt::kOpenRead) || !exe.Size(size)) return false;
    ExeSource src{exe};
    const vq::SignedBytes verdict = vq::CheckSignedBytes(src, size, gChunk, kChunkBytes);
    return verdict == vq::SignedBytes::Unsigned || verdict == vq::SignedBytes::Match ||
           verdict == vq::SignedBytes::Sha1Unchecked;
}

}  // namespace vq::dos
