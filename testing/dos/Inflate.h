// A small inflater (deflate, RFC 1951) and a gzip member reader (RFC 1952) for the DOS gzip
// double. Portable: it runs natively against zlib in the tests and in 16-bit code under DOSBox.
//
// In:  int NextByte()        the next input byte, or -1 at the end
// Out: bool Put(uint8_t b)   appends one byte; false when the output cannot take it
//      uint8_t Back(uint32_t dist)  the byte written dist bytes ago (1 <= dist <= 32768)
#pragma once

#include <stdint.h>

#include "testing/dos/Crc32.h"

namespace vq::testing {

enum class InflateStatus : uint8_t {
    Ok,
    Truncated,       // input ended inside the stream
    BadBlockType,
    BadStoredLength,
    BadCodes,        // over-subscribed, incomplete or otherwise unusable code lengths
    BadSymbol,
    BadDistance,     // reaches before the start of the output
    OutputFailed,
    BadHeader,       // gzip: magic, method or flags
    BadTrailer,      // gzip: CRC-32 or size differs
    TrailingData,    // gzip: bytes after the member
};

inline constexpr uint32_t kWindowBytes = 32768;

template <class In, class Out>
class Inflater {
public:
    Inflater(In& in, Out& out) : in_(in), out_(out) {}

    InflateStatus Run() {
        uint32_t last = 0;
        do {
            uint32_t type;
            if (!Bits(1, last) || !Bits(2, type)) return InflateStatus::Truncated;
            InflateStatus s = type == 0   ? Stored()
                              : type == 1 ? Fixed()
                              : type == 2 ? Dynamic()
                                          : InflateStatus::BadBlockType;
            if (s != InflateStatus::Ok) return s;
        } while (last == 0);
        AlignToByte();
        return InflateStatus::Ok;
    }

    uint32_t Written() const { return written_; }

    // After Run: the input that follows the deflate stream.
    int NextByteAfterStream() { return NextInputByte(); }

private:
    static constexpr int kMaxBits = 15;
    static constexpr int kMaxLitLen = 288;
    static constexpr int kMaxDist = 30;

    // Codes up to kFastBits long decode with one table look-up; longer ones bit by bit.
    static constexpr int kFastBits = 9;
    static constexpr uint16_t kFastLenShift = 12;

    struct Huffman {
        uint16_t count[kMaxBits + 1];
        uint16_t symbol[kMaxLitLen];
        uint16_t fast[1 << kFastBits];  // symbol | length << kFastLenShift; 0: not a short code
    };

    bool Bits(int n, uint32_t& v) {
        while (bitCount_ < n) {
            const int b = in_.NextByte();
            if (b < 0) return false;
            bitBuf_ |= uint32_t(b) << bitCount_;
            bitCount_ += 8;
        }
        v = bitBuf_ & ((1u << n) - 1);
        bitBuf_ >>= n;
        bitCount_ -= n;
        return true;
    }

    // Whole bytes only: the stream must be at a byte boundary. Bytes already taken into the bit
    // buffer come first, so nothing read ahead is lost.
    int NextInputByte() {
        if (bitCount_ < 8) return in_.NextByte();
        const int b = int(bitBuf_ & 0xFF);
        bitBuf_ >>= 8;
        bitCount_ -= 8;
        return b;
    }

    void AlignToByte() {
        const int drop = bitCount_ & 7;
        bitBuf_ >>= drop;
        bitCount_ -= drop;
    }

    bool Emit(uint8_t b) {
        if (!out_.Put(b)) return false;
        ++written_;
        return true;
    }

    InflateStatus Stored() {
        AlignToByte();  // the rest of the current byte is padding
        uint32_t len, nlen;
        if (!Bits(16, len) || !Bits(16, nlen)) return InflateStatus::Truncated;
        if (len != (~nlen & 0xFFFF)) return InflateStatus::BadStoredLength;
        while (len--) {
            const int b = NextInputByte();
            if (b < 0) return InflateStatus::Truncated;
            if (!Emit(uint8_t(b))) return InflateStatus::OutputFailed;
        }
        return InflateStatus::Ok;
    }

    // Canonical code from lengths; < 0 over-subscribed, > 0 incomplete, 0 complete.
    static int Construct(Huffman& h, const uint8_t* length, int n) {
        for (uint16_t& f : h.fast) f = 0;
        for (int len = 0; len <= kMaxBits; ++len) h.count[len] = 0;
        for (int s = 0; s < n; ++s) ++h.count[length[s]];
        if (h.count[0] == n) return 0;
        int left = 1;
        for (int len = 1; len <= kMaxBits; ++len) {
            left <<= 1;
            left -= h.count[len];
            if (left < 0) return left;
        }
        uint16_t offs[kMaxBits + 1];
        offs[1] = 0;
        for (int len = 1; len < kMaxBits; ++len) offs[len + 1] = uint16_t(offs[len] + h.count[len]);
        for (int s = 0; s < n; ++s)
            if (length[s] != 0) h.symbol[offs[length[s]]++] = uint16_t(s);
        BuildFastTable(h, length, n);
        return left;
    }

    // The stream holds each code's bits first bit first, so the table is indexed by the code
    // reversed.
    static void BuildFastTable(Huffman& h, const uint8_t* length, int n) {
        uint16_t next[kMaxBits + 1];
        uint16_t code = 0;
        next[0] = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code = uint16_t((code + (len > 1 ? h.count[len - 1] : 0)) << 1);
            next[len] = code;
        }
        for (int s = 0; s < n; ++s) {
            const int len = length[s];
            if (len == 0) continue;
            const uint16_t c = next[len]++;
            if (len > kFastBits) continue;
            uint32_t rev = 0;
            for (int b = 0; b < len; ++b) rev |= uint32_t((c >> b) & 1) << (len - 1 - b);
            for (uint32_t i = rev; i < (1u << kFastBits); i += 1u << len)
                h.fast[i] = uint16_t(s | len << kFastLenShift);
        }
    }

    // Next symbol, -1 on end of input, -2 on a code the table does not hold.
    int Decode(const Huffman& h) {
        while (bitCount_ < kFastBits) {
            const int b = in_.NextByte();
            if (b < 0) break;  // near the end: the entry must not need bits that are not there
            bitBuf_ |= uint32_t(b) << bitCount_;
            bitCount_ += 8;
        }
        const uint16_t e = h.fast[bitBuf_ & ((1u << kFastBits) - 1)];
        const int len = e >> kFastLenShift;
        if (e != 0 && len <= bitCount_) {
            bitBuf_ >>= len;
            bitCount_ -= len;
            return e & ((1 << kFastLenShift) - 1);
        }
        int code = 0, first = 0, index = 0;
        for (int bits = 1; bits <= kMaxBits; ++bits) {
            uint32_t bit;
            if (!Bits(1, bit)) return -1;
            code |= int(bit);
            const int count = h.count[bits];
            if (code - count < first) return h.symbol[index + (code - first)];
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return -2;
    }

    InflateStatus Codes(const Huffman& lencode, const Huffman& distcode) {
        static constexpr uint16_t kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                   33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                   6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            int sym = Decode(lencode);
            if (sym == -1) return InflateStatus::Truncated;
            if (sym < 0) return InflateStatus::BadSymbol;
            if (sym < 256) {
                if (!Emit(uint8_t(sym))) return InflateStatus::OutputFailed;
                continue;
            }
            if (sym == 256) return InflateStatus::Ok;
            sym -= 257;
            if (sym >= 29) return InflateStatus::BadSymbol;
            uint32_t extra;
            if (!Bits(kLenExtra[sym], extra)) return InflateStatus::Truncated;
            uint32_t len = kLenBase[sym] + extra;
            int dsym = Decode(distcode);
            if (dsym == -1) return InflateStatus::Truncated;
            if (dsym < 0 || dsym >= 30) return InflateStatus::BadSymbol;
            if (!Bits(kDistExtra[dsym], extra)) return InflateStatus::Truncated;
            const uint32_t dist = kDistBase[dsym] + extra;
            if (dist > written_ || dist > kWindowBytes) return InflateStatus::BadDistance;
            while (len--)
                if (!Emit(out_.Back(dist))) return InflateStatus::OutputFailed;
        }
    }

    InflateStatus Fixed() {
        uint8_t lengths[kMaxLitLen];
        int s = 0;
        for (; s < 144; ++s) lengths[s] = 8;
        for (; s < 256; ++s) lengths[s] = 9;
        for (; s < 280; ++s) lengths[s] = 7;
        for (; s < kMaxLitLen; ++s) lengths[s] = 8;
        Construct(lencode_, lengths, kMaxLitLen);
        for (s = 0; s < kMaxDist; ++s) lengths[s] = 5;
        Construct(distcode_, lengths, kMaxDist);
        return Codes(lencode_, distcode_);
    }

    InflateStatus Dynamic() {
        static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        uint32_t nlen, ndist, ncode;
        if (!Bits(5, nlen) || !Bits(5, ndist) || !Bits(4, ncode)) return InflateStatus::Truncated;
        nlen += 257;
        ndist += 1;
        ncode += 4;
        if (nlen > 286 || ndist > 30) return InflateStatus::BadCodes;
        uint8_t lengths[286 + 30];
        uint32_t i = 0;
        for (; i < ncode; ++i) {
            uint32_t v;
            if (!Bits(3, v)) return InflateStatus::Truncated;
            lengths[kOrder[i]] = uint8_t(v);
        }
        for (; i < 19; ++i) lengths[kOrder[i]] = 0;
        if (Construct(lencode_, lengths, 19) != 0) return InflateStatus::BadCodes;

        for (i = 0; i < nlen + ndist;) {
            const int sym = Decode(lencode_);
            if (sym == -1) return InflateStatus::Truncated;
            if (sym < 0) return InflateStatus::BadCodes;
            if (sym < 16) {
                lengths[i++] = uint8_t(sym);
                continue;
            }
            uint8_t value = 0;
            uint32_t repeat;
            if (sym == 16) {
                if (i == 0) return InflateStatus::BadCodes;
                value = lengths[i - 1];
                if (!Bits(2, repeat)) return InflateStatus::Truncated;
                repeat += 3;
            } else if (sym == 17) {
                if (!Bits(3, repeat)) return InflateStatus::Truncated;
                repeat += 3;
            } else {
                if (!Bits(7, repeat)) return InflateStatus::Truncated;
                repeat += 11;
            }
            if (i + repeat > nlen + ndist) return InflateStatus::BadCodes;
            while (repeat--) lengths[i++] = value;
        }
        if (lengths[256] == 0) return InflateStatus::BadCodes;  // no end-of-block code
        // Incomplete codes are allowed only for a single code of length one.
        int err = Construct(lencode_, lengths, int(nlen));
        if (err < 0 || (err > 0 && int(nlen) - lencode_.count[0] != 1)) return InflateStatus::BadCodes;
        err = Construct(distcode_, lengths + nlen, int(ndist));
        if (err < 0 || (err > 0 && int(ndist) - distcode_.count[0] != 1)) return InflateStatus::BadCodes;
        return Codes(lencode_, distcode_);
    }

    In& in_;
    Out& out_;
    uint32_t bitBuf_ = 0;
    int bitCount_ = 0;
    uint32_t written_ = 0;
    Huffman lencode_;
    Huffman distcode_;
};

// Checks CRC-32 and size of what passes through to the real output.
template <class Out>
struct CrcOut {
    Out& out;
    uint32_t crc = 0xFFFFFFFF;
    bool Put(uint8_t b) {
        crc = Crc32Update(crc, b);
        return out.Put(b);
    }
    uint8_t Back(uint32_t dist) { return out.Back(dist); }
};

namespace gzip {
inline constexpr uint8_t kId1 = 0x1F, kId2 = 0x8B, kMethodDeflate = 8;
inline constexpr uint8_t kFlagHeaderCrc = 0x02, kFlagExtra = 0x04, kFlagName = 0x08, kFlagComment = 0x10;
inline constexpr uint8_t kFlagsReserved = 0xE0;
}  // namespace gzip

// Reads one whole gzip member from `in` and writes its content to `out`; the input must end
// right after the member.
template <class In, class Out>
InflateStatus GunzipMember(In& in, Out& out) {
    using namespace gzip;
    uint8_t h[10];
    for (uint8_t& b : h) {
        const int c = in.NextByte();
        if (c < 0) return InflateStatus::Truncated;
        b = uint8_t(c);
    }
    if (h[0] != kId1 || h[1] != kId2 || h[2] != kMethodDeflate || (h[3] & kFlagsReserved) != 0)
        return InflateStatus::BadHeader;
    const uint8_t flags = h[3];
    if (flags & kFlagExtra) {
        const int lo = in.NextByte(), hi = in.NextByte();
        if (lo < 0 || hi < 0) return InflateStatus::Truncated;
        for (uint32_t n = uint32_t(lo | hi << 8); n != 0; --n)
            if (in.NextByte() < 0) return InflateStatus::Truncated;
    }
    const uint8_t stringFlags[2] = {kFlagName, kFlagComment};
    for (uint8_t f : stringFlags) {
        if ((flags & f) == 0) continue;
        int c;
        do {
            c = in.NextByte();
            if (c < 0) return InflateStatus::Truncated;
        } while (c != 0);
    }
    if (flags & kFlagHeaderCrc) {
        if (in.NextByte() < 0 || in.NextByte() < 0) return InflateStatus::Truncated;
    }

    CrcOut<Out> crcOut{out};
    Inflater<In, CrcOut<Out>> inflater(in, crcOut);
    const InflateStatus s = inflater.Run();
    if (s != InflateStatus::Ok) return s;

    uint32_t crc = 0, size = 0;  // the trailer: CRC-32 and ISIZE, little-endian
    for (int i = 0; i < 8; ++i) {
        const int c = inflater.NextByteAfterStream();
        if (c < 0) return InflateStatus::Truncated;
        (i < 4 ? crc : size) |= uint32_t(c) << (8 * (i & 3));
    }
    if (crc != ~crcOut.crc || size != inflater.Written()) return InflateStatus::BadTrailer;
    if (inflater.NextByteAfterStream() >= 0) return InflateStatus::TrailingData;
    return InflateStatus::Ok;
}

}  // namespace vq::testing
