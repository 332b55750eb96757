// SHA-256 over a stream of byte runs: the digest a signed release's signature carries.
//
// Freestanding (fixed-width integers, no allocation, no OS calls) and small, because the 16-bit
// DOS program carries it: 32-bit arithmetic only, and a 16-word rolling message schedule.
#pragma once

#include <stdint.h>

namespace vq {

inline constexpr uint32_t kSha256Bytes = 32;
inline constexpr uint32_t kSha256BlockBytes = 64;

class Sha256 {
public:
    Sha256() { Reset(); }

    void Reset() {
        static constexpr uint32_t kInit[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
        for (uint32_t i = 0; i < 8; ++i) state_[i] = kInit[i];
        countLow_ = countHigh_ = 0;
    }

    void Update(const uint8_t* data, uint32_t len) {
        for (uint32_t i = 0; i < len; ++i) {
            block_[countLow_ % kSha256BlockBytes] = data[i];
            if (++countLow_ == 0) ++countHigh_;
            if (countLow_ % kSha256BlockBytes == 0) Compress();
        }
    }

    // Ends the stream: the padding, the length in bits, and the state as big-endian bytes.
    void Final(uint8_t (&out)[kSha256Bytes]) {
        const uint32_t bitsHigh = countHigh_ << 3 | countLow_ >> 29, bitsLow = countLow_ << 3;
        const uint8_t pad = 0x80, zero = 0;
        Update(&pad, 1);
        while (countLow_ % kSha256BlockBytes != kSha256BlockBytes - 8) Update(&zero, 1);
        uint8_t length[8];
        PutBE32(length, bitsHigh);
        PutBE32(length + 4, bitsLow);
        Update(length, 8);
        for (uint32_t i = 0; i < 8; ++i) PutBE32(out + 4 * i, state_[i]);
    }

private:
    static uint32_t Ror(uint32_t x, uint32_t n) { return x >> n | x << (32 - n); }
    static void PutBE32(uint8_t* p, uint32_t v) {
        for (uint32_t i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
    }

    void Compress() {
        static constexpr uint32_t kRound[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        uint32_t w[16], v[8];
        for (uint32_t i = 0; i < 16; ++i)
            w[i] = uint32_t(block_[4 * i]) << 24 | uint32_t(block_[4 * i + 1]) << 16 |
                   uint32_t(block_[4 * i + 2]) << 8 | block_[4 * i + 3];
        for (uint32_t i = 0; i < 8; ++i) v[i] = state_[i];
        for (uint32_t t = 0; t < 64; ++t) {
            uint32_t& wt = w[t % 16];
            if (t >= 16) {
                const uint32_t w15 = w[(t + 1) % 16], w2 = w[(t + 14) % 16];
                wt += (Ror(w15, 7) ^ Ror(w15, 18) ^ w15 >> 3) + w[(t + 9) % 16] +
                      (Ror(w2, 17) ^ Ror(w2, 19) ^ w2 >> 10);
            }
            const uint32_t e = v[4], a = v[0];
            const uint32_t t1 = v[7] + (Ror(e, 6) ^ Ror(e, 11) ^ Ror(e, 25)) + ((e & v[5]) ^ (~e & v[6])) +
                                kRound[t] + wt;
            const uint32_t t2 = (Ror(a, 2) ^ Ror(a, 13) ^ Ror(a, 22)) + ((a & v[1]) ^ (a & v[2]) ^ (v[1] & v[2]));
            for (uint32_t i = 7; i > 0; --i) v[i] = v[i - 1];
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (uint32_t i = 0; i < 8; ++i) state_[i] += v[i];
    }

    uint32_t state_[8];
    uint32_t countLow_, countHigh_;  // bytes so far; a file stays far below 2^32, a test need not
    uint8_t block_[kSha256BlockBytes];
};

}  // namespace vq
