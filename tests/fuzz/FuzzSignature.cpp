// libFuzzer target: the walk to the signed digest in a certificate table, shown all of the
// table or only its start. The part shown lies in a buffer of its own size, so a read past it
// is caught; what the walk finds must not change when it is shown more.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "payload/SignedDigest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte says how much of the table the walk is shown: 0 all, else that many 8-byte units.
    const size_t unit = data[0];
    const uint8_t* table = data + 1;
    const uint32_t tableSize = uint32_t(size - 1);
    const uint32_t seen = unit == 0 ? tableSize : uint32_t(std::min<size_t>(tableSize, unit * 8));

    std::vector<uint8_t> head(table, table + seen);
    uint8_t digest[vq::kSha256Bytes];
    const vq::SignatureWalk walk = vq::FindSignedDigest(head.data(), seen, tableSize, digest);
    if (walk == vq::SignatureWalk::Malformed) return 0;
    // A digest is 32 bytes the walk read from within the certificate.
    if (walk == vq::SignatureWalk::Sha256 &&
        std::search(head.begin(), head.end(), digest, digest + vq::kSha256Bytes) == head.end())
        abort();
    if (seen == tableSize) return 0;
    // Whatever it found in the part seen (a SHA-1 or an unknown algorithm too) it finds in the whole.
    std::vector<uint8_t> all(table, table + tableSize);
    uint8_t again[vq::kSha256Bytes];
    if (vq::FindSignedDigest(all.data(), tableSize, tableSize, again) != walk ||
        (walk == vq::SignatureWalk::Sha256 && memcmp(digest, again, sizeof digest) != 0))
        abort();
    return 0;
}
