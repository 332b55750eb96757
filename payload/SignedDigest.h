// Whether a signed file's bytes are still the bytes its Authenticode signature names: the
// digest the signature carries against the digest of the file. Only the bytes: neither the
// signer's signature over that digest nor the publisher is checked here (that takes a
// certificate store, which a face without Windows has not got).
//
// What is hashed (the signed layout is drawn in payload/PayloadFormat.h):
//
//   0 .. CheckSum                    hashed
//   CheckSum (4 bytes)               left out: the signing tool sets it
//   .. security directory entry      hashed
//   the entry (8 bytes)              left out: it names the table
//   .. T                             hashed: the rest of the headers, the sections, the container
//                                    after them and the padding before the table
//   T .. end (the table)             left out
//
// That is the hash of the whole file in one run, as signing tools compute it. It equals the
// section-by-section order of the Authenticode rules whenever the sections follow the headers
// and each other without gaps, as the linker lays them out.
//
// Where the digest stands in the table (DER; every length definite):
//
//   WIN_CERTIFICATE        dwLength, wRevision, wCertificateType 2, then:
//   ContentInfo            SEQUENCE { OID signedData, [0] {
//    SignedData              SEQUENCE { INTEGER version, SET digestAlgorithms,
//     ContentInfo              SEQUENCE { OID SpcIndirectDataContent, [0] {
//      SpcIndirectDataContent    SEQUENCE { SEQUENCE { OID SpcPeImageData, ... },
//       DigestInfo                 SEQUENCE { SEQUENCE { OID algorithm, [NULL] }, OCTET STRING digest }
//                              }}}, certificates, signerInfos ... }}}
//
// The walk reads only the start of the table a caller hands it (the digest stands within its
// first few hundred bytes), never past the table, and refuses anything it does not expect.
//
// Freestanding: fixed-width integers only, no allocation, no OS calls (the DOS program uses it).
#pragma once

#include <stdint.h>

#include "payload/PayloadFormat.h"
#include "payload/PeFormat.h"
#include "payload/Sha256.h"

namespace vq {

enum class SignatureWalk : uint8_t {
    Sha256,            // the digest was found, and it is a SHA-256 one
    Sha1,              // well formed, with a SHA-1 digest: known, and deliberately not computed here
    UnknownAlgorithm,  // a digest algorithm none of the above: the signature cannot be read
    Malformed,         // not the structure above, or a length past the table or the part seen
};

namespace der {

inline constexpr uint8_t kSequence = 0x30, kSet = 0x31, kInteger = 0x02, kOctetString = 0x04, kNull = 0x05,
                         kOid = 0x06, kContext0 = 0xA0;
inline constexpr uint8_t kLongLength = 0x80;
inline constexpr uint8_t kMaxLengthBytes = 4;

inline constexpr uint8_t kOidSignedData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
inline constexpr uint8_t kOidSpcIndirectData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
inline constexpr uint8_t kOidSpcPeImageData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};
inline constexpr uint8_t kOidSha256[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
inline constexpr uint8_t kOidSha1[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};

// Bytes 0 .. seen-1 may be read; a read beyond them fails the walk for good.
struct Reader {
    const uint8_t* bytes;
    uint32_t seen;
    uint32_t pos;
    bool ok;

    uint8_t Byte() {
        if (pos >= seen) ok = false;
        return ok ? bytes[pos++] : 0;
    }

    // The element at pos must carry `tag` and a definite length that ends within `end`. On
    // true, pos is at its content and contentEnd just after it.
    bool Enter(uint8_t tag, uint32_t end, uint32_t& contentEnd) {
        if (Byte() != tag) return false;
        uint32_t len = Byte();
        if (len & kLongLength) {
            uint32_t n = len & ~uint32_t(kLongLength);
            if (n == 0 || n > kMaxLengthBytes) return false;  // indefinite, or beyond any table
            for (len = 0; n != 0; --n) len = len << 8 | Byte();
        }
        if (!ok || pos > end || len > end - pos) return false;
        contentEnd = pos + len;
        return true;
    }

    bool Skip(uint8_t tag, uint32_t end) {
        uint32_t contentEnd;
        return Enter(tag, end, contentEnd) && (pos = contentEnd, true);
    }

    // What SHA-1 and SHA-256 allow after their identifier: nothing, or a NULL, and then the end.
    bool NoParameters(uint32_t end) {
        uint32_t contentEnd;
        return pos == end || (Enter(kNull, end, contentEnd) && contentEnd == pos && pos == end);
    }

    // An object identifier; `same` says whether it is the n bytes at `oid`. One copy for every
    // identifier: the DOS program carries it.
    bool Oid(uint32_t end, const uint8_t* oid, uint32_t n, bool& same) {
        uint32_t contentEnd;
        if (!Enter(kOid, end, contentEnd)) return false;
        same = contentEnd - pos == n;
        for (uint32_t i = 0; same && i < n; ++i) same = Byte() == oid[i];
        pos = contentEnd;
        return ok;
    }
};

}  // namespace der

// The walk from the signature's start to the digest, as the drawing above has it: each step
// takes the element at the reader's position within the innermost element entered.
enum class WalkOp : uint8_t {
    Enter,      // an element with this tag: go into it
    Skip,       // an element with this tag: go past it
    Expect,      // the object identifier kWalkOids[arg], nothing else
    Algorithm,   // an object identifier: one of kDigestAlgorithms, or one this reader does not know
    Parameters,  // the rest of the innermost element: what the digest algorithm allows there
    Leave,       // past the rest of the innermost element
};
struct TWalkStep {
    WalkOp op;
    uint8_t arg;  // a tag, or an index into kWalkOids
};
struct TWalkOid {
    const uint8_t* bytes;
    uint8_t size;
};
inline constexpr TWalkOid kWalkOids[] = {{der::kOidSignedData, sizeof der::kOidSignedData},
                                         {der::kOidSpcIndirectData, sizeof der::kOidSpcIndirectData},
                                         {der::kOidSpcPeImageData, sizeof der::kOidSpcPeImageData}};

// The digest algorithms a signature may name. Any other (SHA-384 and SHA-512 included, and an
// identifier damaged on the way) leaves the bytes unchecked for no good reason, so it is not read:
// a signature this reader cannot read is refused, as a malformed one is.
struct TDigestAlgorithm {
    TWalkOid oid;
    uint8_t digestBytes;
    SignatureWalk verdict;
};
inline constexpr uint32_t kSha1Bytes = 20;
inline constexpr TDigestAlgorithm kDigestAlgorithms[] = {
    {{der::kOidSha256, sizeof der::kOidSha256}, kSha256Bytes, SignatureWalk::Sha256},
    // The outer signature of older dual-signed files, whose SHA-256 signature stands nested among
    // the signer's attributes, where this walk does not go. Not computed, so that the DOS program
    // stays small: such a file runs there as an unsigned one does (Windows checks it on its face).
    {{der::kOidSha1, sizeof der::kOidSha1}, kSha1Bytes, SignatureWalk::Sha1},
};
inline constexpr uint32_t kDigestAlgorithmCount = sizeof kDigestAlgorithms / sizeof kDigestAlgorithms[0];
inline constexpr TWalkStep kWalk[] = {
    {WalkOp::Enter, der::kSequence},     // ContentInfo
    {WalkOp::Expect, 0},                 //   signedData
    {WalkOp::Enter, der::kContext0},
    {WalkOp::Enter, der::kSequence},     //   SignedData
    {WalkOp::Skip, der::kInteger},       //     version
    {WalkOp::Skip, der::kSet},           //     digestAlgorithms
    {WalkOp::Enter, der::kSequence},     //     ContentInfo
    {WalkOp::Expect, 1},                 //       SpcIndirectDataContent
    {WalkOp::Enter, der::kContext0},
    {WalkOp::Enter, der::kSequence},     //       SpcIndirectDataContent
    {WalkOp::Enter, der::kSequence},     //         data
    {WalkOp::Expect, 2},                 //           SpcPeImageData
    {WalkOp::Leave, 0},
    {WalkOp::Enter, der::kSequence},     //         DigestInfo
    {WalkOp::Enter, der::kSequence},     //           AlgorithmIdentifier
    {WalkOp::Algorithm, 0},              //             SHA-256, SHA-1 or another
    {WalkOp::Parameters, 0},             //             absent or NULL
    {WalkOp::Leave, 0},
    {WalkOp::Enter, der::kOctetString},  //           digest
};
inline constexpr uint32_t kWalkDepth = 8;  // elements entered at most at once

// Finds the digest in a certificate table of tableSize bytes whose first headLen bytes are at
// `head` (headLen <= tableSize). Only the first entry is read: it is the signature the face's
// own check on Windows judges too.
inline SignatureWalk FindSignedDigest(const uint8_t* head, uint32_t headLen, uint32_t tableSize,
                                      uint8_t (&digest)[kSha256Bytes]) {
    if (headLen < kWinCertHeaderSize || headLen > tableSize) return SignatureWalk::Malformed;
    const uint32_t certEnd = ReadLE32(head + kWinCertLengthOffset);
    if (certEnd < kWinCertHeaderSize || certEnd > tableSize ||
        ReadLE16(head + kWinCertTypeOffset) != kWinCertTypePkcsSignedData)
        return SignatureWalk::Malformed;
    der::Reader r{head, headLen < certEnd ? headLen : certEnd, kWinCertHeaderSize, true};
    uint32_t ends[kWalkDepth + 1] = {certEnd};
    uint32_t depth = 0;
    uint32_t algorithm = 0;  // index into kDigestAlgorithms
    for (const TWalkStep& step : kWalk) {
        const uint32_t end = ends[depth];
        const uint32_t at = r.pos;
        bool good = true, same = false;
        switch (step.op) {
            case WalkOp::Enter: good = r.Enter(step.arg, end, ends[++depth]); break;
            case WalkOp::Skip: good = r.Skip(step.arg, end); break;
            case WalkOp::Expect:
                good = r.Oid(end, kWalkOids[step.arg].bytes, kWalkOids[step.arg].size, same) && same;
                break;
            case WalkOp::Algorithm:
                for (algorithm = 0; algorithm < kDigestAlgorithmCount; ++algorithm) {
                    r.pos = at;
                    const TWalkOid& oid = kDigestAlgorithms[algorithm].oid;
                    if (!r.Oid(end, oid.bytes, oid.size, same)) return SignatureWalk::Malformed;
                    if (same) break;
                }
                if (!same) return SignatureWalk::UnknownAlgorithm;
                break;
            case WalkOp::Parameters: good = r.NoParameters(end); break;
            case WalkOp::Leave: r.pos = end, --depth; break;
        }
        if (!good) return SignatureWalk::Malformed;
    }
    const TDigestAlgorithm& found = kDigestAlgorithms[algorithm];
    if (ends[depth] - r.pos != found.digestBytes) return SignatureWalk::Malformed;
    if (found.verdict != SignatureWalk::Sha256) return r.ok ? found.verdict : SignatureWalk::Malformed;
    for (uint8_t& b : digest) b = r.Byte();
    return r.ok ? SignatureWalk::Sha256 : SignatureWalk::Malformed;
}

enum class SignedBytes : uint8_t {
    Unsigned,      // no certificate table
    Match,         // the file's SHA-256 digest is the one signed
    Mismatch,      // bytes changed after signing
    Malformed,         // a table or signature this reader cannot read
    UnknownAlgorithm,  // ... because its digest algorithm is none this reader knows
    Sha1Unchecked,     // a sound signature with a SHA-1 digest, deliberately not computed here
    ReadFailed,
};

// The whole check over a file read through `src` (see ReadSignedLayout), with buf as scratch:
// its size bounds both the reads and how much of the signature's start the walk sees.
template <class Source>
SignedBytes CheckSignedBytes(Source& src, uint32_t fileSize, uint8_t* buf, uint32_t bufLen) {
    const TSignedLayout layout = ReadSignedLayout(src, fileSize);
    const TCertTable& table = layout.Cert;
    if (table.Size == 0) return SignedBytes::Unsigned;
    if (!CertTableEndsFile(table, fileSize) || table.Offset < layout.EntryAt + kDataDirectorySize)
        return SignedBytes::Malformed;
    const uint32_t head = table.Size < bufLen ? table.Size : bufLen;
    if (!src.Read(table.Offset, buf, head)) return SignedBytes::ReadFailed;
    uint8_t signedDigest[kSha256Bytes];
    const SignatureWalk walk = FindSignedDigest(buf, head, table.Size, signedDigest);
    if (walk == SignatureWalk::Malformed) return SignedBytes::Malformed;
    if (walk == SignatureWalk::UnknownAlgorithm) return SignedBytes::UnknownAlgorithm;
    if (walk == SignatureWalk::Sha1) return SignedBytes::Sha1Unchecked;

    const uint32_t cuts[] = {0, layout.CheckSumAt, layout.CheckSumAt + kCheckSumSize, layout.EntryAt,
                             layout.EntryAt + kDataDirectorySize, table.Offset};
    Sha256 sha;
    for (uint32_t i = 0; i < sizeof cuts / sizeof cuts[0]; i += 2) {
        for (uint32_t pos = cuts[i]; pos < cuts[i + 1];) {
            const uint32_t n = cuts[i + 1] - pos < bufLen ? cuts[i + 1] - pos : bufLen;
            if (!src.Read(pos, buf, n)) return SignedBytes::ReadFailed;
            sha.Update(buf, n);
            pos += n;
        }
    }
    uint8_t fileDigest[kSha256Bytes];
    sha.Final(fileDigest);
    for (uint32_t i = 0; i < kSha256Bytes; ++i)
        if (fileDigest[i] != signedDigest[i]) return SignedBytes::Mismatch;
    return SignedBytes::Match;
}

}  // namespace vq
