// The DOS face's signature check, natively: SHA-256 against the published examples, the walk to
// the signed digest against broken signatures, and the whole check on a file osslsigncode signed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <string>

#include "payload/FlashImageFormat.h"
#include "payload/SignedDigest.h"
#include "tools/vqpack/Bytes.h"

namespace vq::test {
namespace {

namespace fs = std::filesystem;

std::string Hex(const uint8_t* b, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) s += {kDigits[b[i] >> 4], kDigits[b[i] & 15]};
    return s;
}

std::string Sha256Hex(const std::string& text, size_t piece) {
    Sha256 sha;
    for (size_t at = 0; at < text.size(); at += piece)
        sha.Update(reinterpret_cast<const uint8_t*>(text.data()) + at, uint32_t(std::min(piece, text.size() - at)));
    uint8_t out[kSha256Bytes];
    sha.Final(out);
    return Hex(out, sizeof out);
}

TEST(Sha256, GivesThePublishedDigestsHoweverTheStreamIsCut) {
    const struct {
        std::string text, digest;
    } examples[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 448 bits: the length needs a block of its own
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& e : examples)
        for (size_t piece : {size_t(1), size_t(63), size_t(64), size_t(4096)}) {
            if (piece == 1 && e.text.size() > 1000) continue;
            EXPECT_EQ(Sha256Hex(e.text, piece), e.digest) << e.text.size() << " bytes in pieces of " << piece;
        }
}

// DER pieces for signatures made here.
Bytes Der(uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const size_t n = content.size();
    if (n < 0x80) out.push_back(uint8_t(n));
    else if (n < 0x100) out.insert(out.end(), {0x81, uint8_t(n)});
    else out.insert(out.end(), {0x82, uint8_t(n >> 8), uint8_t(n)});
    out.insert(out.end(), content.begin(), content.end());
    return out;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
template <size_t N>
Bytes Oid(const uint8_t (&oid)[N]) {
    return Der(der::kOid, Bytes(oid, oid + N));
}

struct SignatureParts {
    Bytes outerOid = Oid(der::kOidSignedData);
    Bytes innerOid = Oid(der::kOidSpcIndirectData);
    Bytes dataOid = Oid(der::kOidSpcPeImageData);
    Bytes algorithmOid = Oid(der::kOidSha256);
    Bytes parameters = Der(der::kNull, {});
    Bytes digest = Pattern(kSha256Bytes);
    Bytes version = Der(der::kInteger, {1});
    static Bytes Pattern(size_t n) {
        Bytes b(n);
        for (size_t i = 0; i < n; ++i) b[i] = uint8_t(0xA0 + i);
        return b;
    }
};

// A WIN_CERTIFICATE holding a signature shaped as signing tools write it, certificates and
// signer infos included, padded to 8 bytes as the table is.
Bytes MakeTable(const SignatureParts& p = {}) {
    const Bytes peImageData = Cat({Der(0x03, {0x00}), Der(0xA0, Der(0xA2, Der(0x80, Bytes(28, 'o'))))});
    const Bytes indirect = Der(der::kSequence,
        Cat({Der(der::kSequence, Cat({p.dataOid, Der(der::kSequence, peImageData)})),
             Der(der::kSequence, Cat({Der(der::kSequence, Cat({p.algorithmOid, p.parameters})),
                                      Der(der::kOctetString, p.digest)}))}));
    const Bytes signedData = Der(der::kSequence,
        Cat({p.version, Der(der::kSet, Der(der::kSequence, Cat({Oid(der::kOidSha256), Der(0x05, {})}))),
             Der(der::kSequence, Cat({p.innerOid, Der(der::kContext0, indirect)})),
             Der(der::kContext0, Bytes(700, 'c')), Der(der::kSet, Bytes(300, 's'))}));
    const Bytes sig = Der(der::kSequence, Cat({p.outerOid, Der(der::kContext0, signedData)}));
    Bytes header{0, 0, 0, 0, 0x00, 0x02, 0x02, 0x00};  // revision 2.0, PKCS#7 SignedData
    WriteLE32(header.data(), uint32_t(kWinCertHeaderSize + sig.size()));
    Bytes table = Cat({header, sig});
    table.resize((table.size() + 7) / 8 * 8);
    return table;
}

SignatureWalk Walk(const Bytes& table, size_t seen, uint8_t (&digest)[kSha256Bytes]) {
    // Only the part seen is in memory: a read past it is a read of whatever follows.
    const Bytes head(table.begin(), table.begin() + ptrdiff_t(std::min(seen, table.size())));
    return FindSignedDigest(head.data(), uint32_t(head.size()), uint32_t(table.size()), digest);
}
SignatureWalk Walk(const Bytes& table) {
    uint8_t digest[kSha256Bytes];
    return Walk(table, table.size(), digest);
}

TEST(SignedDigestWalk, FindsTheSha256DigestAndKnowsASha1OneForWhatItIs) {
    const Bytes table = MakeTable();
    uint8_t digest[kSha256Bytes] = {};
    ASSERT_EQ(Walk(table, table.size(), digest), SignatureWalk::Sha256);
    EXPECT_EQ(Bytes(digest, digest + kSha256Bytes), SignatureParts::Pattern(kSha256Bytes));
    // The walk needs no more than the signature's start: certificates and signer infos come after.
    EXPECT_EQ(Walk(table, 256, digest), SignatureWalk::Sha256);

    SignatureParts p;
    p.parameters = {};  // absent, as the NULL may be
    EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Sha256);

    SignatureParts sha1;
    sha1.algorithmOid = Oid(der::kOidSha1);
    sha1.digest = SignatureParts::Pattern(kSha1Bytes);
    EXPECT_EQ(Walk(MakeTable(sha1)), SignatureWalk::Sha1);
    sha1.parameters = {};
    EXPECT_EQ(Walk(MakeTable(sha1)), SignatureWalk::Sha1);
}

// Only SHA-1 may go unchecked: any other algorithm, or parameters the algorithm does not take,
// would let a damaged signature switch the check off.
TEST(SignedDigestWalk, ReadsNoDigestAlgorithmItDoesNotKnowNorParametersItDoesNotAllow) {
    Bytes nonsense = Oid(der::kOidSha256);
    nonsense[2] = 0x00;  // the identifier's first content byte, as damage may leave it
    const uint8_t kOidSha384[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02};
    const uint8_t kOidSha512[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03};
    const uint8_t kOidSha256Longer[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01, 0x01};
    for (const auto& [what, oid, digestBytes] :
         {std::tuple{"nonsense", nonsense, size_t(kSha256Bytes)}, std::tuple{"SHA-384", Oid(kOidSha384), size_t(48)},
          std::tuple{"SHA-512", Oid(kOidSha512), size_t(64)},
          std::tuple{"SHA-256's identifier and a byte more", Oid(kOidSha256Longer), size_t(kSha256Bytes)},
          std::tuple{"SHA-1's identifier cut short", Der(der::kOid, Bytes(der::kOidSha1, der::kOidSha1 + 4)), size_t(20)}}) {
        SCOPED_TRACE(what);
        SignatureParts p;
        p.algorithmOid = oid;
        p.digest = SignatureParts::Pattern(digestBytes);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::UnknownAlgorithm);
    }
    {
        SCOPED_TRACE("parameters other than NULL");
        for (const Bytes& parameters : {Der(der::kInteger, {1}), Der(der::kNull, {0}), Cat({Der(der::kNull, {}), Der(der::kNull, {})})}) {
            SignatureParts p;
            p.parameters = parameters;
            EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
            p.algorithmOid = Oid(der::kOidSha1);
            p.digest = SignatureParts::Pattern(kSha1Bytes);
            EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
        }
    }
    {
        SCOPED_TRACE("a SHA-1 digest that is not 20 bytes");
        SignatureParts p;
        p.algorithmOid = Oid(der::kOidSha1);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
    }
}

TEST(SignedDigestWalk, RefusesWhatIsNotTheSignatureItExpects) {
    const Bytes good = MakeTable();
    const size_t sigAt = kWinCertHeaderSize;
    auto at = [&](const Bytes& t, const Bytes& what) {  // where a piece of the signature stands
        return size_t(std::search(t.begin(), t.end(), what.begin(), what.end()) - t.begin());
    };
    {
        SCOPED_TRACE("wrong object ids");
        const uint8_t kOidData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};
        SignatureParts p;
        p.outerOid = Oid(kOidData);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
        p = {};
        p.innerOid = Oid(kOidData);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
        p = {};
        p.dataOid = Oid(der::kOidSpcIndirectData);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
    }
    {
        SCOPED_TRACE("a SHA-256 digest that is not 32 bytes");
        SignatureParts p;
        p.digest = SignatureParts::Pattern(31);
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
    }
    {
        SCOPED_TRACE("indefinite lengths");
        Bytes t = good;
        ASSERT_EQ(t[sigAt + 1], 0x82);  // the outer SEQUENCE
        t[sigAt + 1] = 0x80;
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        t = good;
        const size_t octets = at(t, Der(der::kOctetString, SignatureParts::Pattern(kSha256Bytes)));
        t[octets + 1] = 0x80;
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        SignatureParts p;  // read as empty, the rest would still parse
        p.version = {der::kInteger, 0x80};
        EXPECT_EQ(Walk(MakeTable(p)), SignatureWalk::Malformed);
    }
    {
        SCOPED_TRACE("lengths past the table, past the certificate, past the enclosing element");
        Bytes t = good;
        t[sigAt + 2] = 0x7F;  // outer SEQUENCE: about 32 KiB
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        t = good;
        t[sigAt + 1] = 0x84, t[sigAt + 2] = 0xFF;  // four length bytes, 4 GiB: no wrap to a small end
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        t = good;
        WriteLE32(t.data(), uint32_t(t.size() + 8));  // dwLength beyond the table
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        t = good;
        const size_t octets = at(t, Der(der::kOctetString, SignatureParts::Pattern(kSha256Bytes)));
        t[octets + 1] = 0x7F;  // the digest runs out of its DigestInfo
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
    }
    {
        SCOPED_TRACE("not a PKCS#7 certificate, or none");
        Bytes t = good;
        t[6] = 0x01;  // X.509
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
        EXPECT_EQ(Walk(Bytes(good.begin(), good.begin() + 7)), SignatureWalk::Malformed);
    }
    {
        SCOPED_TRACE("truncated: the walk reads nothing past what it was given");
        const size_t digestEnd = at(good, SignatureParts::Pattern(kSha256Bytes)) + kSha256Bytes;
        uint8_t digest[kSha256Bytes];
        for (size_t seen : {size_t(9), size_t(40), digestEnd - 1})
            EXPECT_EQ(Walk(good, seen, digest), SignatureWalk::Malformed) << "seen " << seen;
        EXPECT_EQ(Walk(good, digestEnd, digest), SignatureWalk::Sha256);
        // A certificate whose dwLength ends inside the digest, in a table that goes on.
        Bytes t = good;
        WriteLE32(t.data(), uint32_t(digestEnd - 1));
        EXPECT_EQ(Walk(t), SignatureWalk::Malformed);
    }
}

// A stand-in release (SIGNABLE.EXE and a whole payload of small entries) signed by osslsigncode.
class SignedFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("vq-signed-digest-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        const fs::path plain = dir_ / "unsigned.exe", signedCopy = dir_ / "signed.exe";
        // The payload's eleven entries: entry 1 stored as it is and long, the flash image last.
        std::string entries;
        for (int i = 1; i <= 11; ++i) {
            const fs::path entry = dir_ / ("entry" + std::to_string(i));
            std::string bytes = i == 1 ? std::string(70001, 'g') : "entry " + std::to_string(i);
            if (i == 11) {
                bytes.assign(kFlashImageSize, '\0');
                bytes.replace(kFlashDescriptorOffset, sizeof kFlashDescriptorSignature,
                              reinterpret_cast<const char*>(kFlashDescriptorSignature), sizeof kFlashDescriptorSignature);
            }
            std::ofstream(entry, std::ios::binary) << bytes;
            entries += " '" + entry.string() + "'";
        }
        const std::string cmd = "'" VQ_VQPACK "' build --image '" VQ_SIGNABLE_PE "' --out '" + plain.string() + "'" +
                                entries + " >/dev/null && '" VQ_SIGN_THROWAWAY "' '" + plain.string() + "' '" +
                                signedCopy.string() + "'";
        if (system(cmd.c_str()) != 0) return;
        unsigned_ = Read(plain);
        signed_ = Read(signedCopy);
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    void SetUp() override { ASSERT_FALSE(signed_.empty()) << "could not build and sign the stand-in release"; }

    static Bytes Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static SignedBytes Check(const Bytes& file, uint32_t chunk = 4096) {
        Bytes scratch(chunk);
        MemorySource src(file.data(), file.size());
        return CheckSignedBytes(src, uint32_t(file.size()), scratch.data(), chunk);
    }

    static inline fs::path dir_;
    static inline Bytes unsigned_, signed_;
};

TEST_F(SignedFile, MatchesItsSignatureUntilAByteChanges) {
    EXPECT_EQ(Check(unsigned_), SignedBytes::Unsigned);
    EXPECT_EQ(Check(signed_), SignedBytes::Match);
    EXPECT_EQ(Check(signed_, 1000), SignedBytes::Match);  // chunks that do not divide anything

    MemorySource src(signed_.data(), signed_.size());
    const TSignedLayout layout = ReadSignedLayout(src, uint32_t(signed_.size()));
    ASSERT_GT(layout.Cert.Size, 0u);
    ASSERT_GE(layout.Cert.Offset, unsigned_.size());
    {
        SCOPED_TRACE("the checksum is not signed: signing tools set it afterwards");
        Bytes b = signed_;
        b[layout.CheckSumAt] ^= 0x5A;
        EXPECT_EQ(Check(b), SignedBytes::Match);
    }
    // Every other byte before the table is: the headers, the DOS program, the code, the container
    // behind the last section (entry 1 and the trailer) and the padding.
    TContainerInfo info{};
    ASSERT_EQ(ReadContainerHeader(src, uint32_t(signed_.size()), info), ContainerError::None);
    for (const uint32_t at : {uint32_t(2), uint32_t(0x1000), layout.CheckSumAt - 1, layout.CheckSumAt + kCheckSumSize,
                              layout.EntryAt - 1, layout.EntryAt + kDataDirectorySize, info.ImageSize - 1,
                              info.ImageSize + kHeaderSize + kRecordSize + 500, info.ContainerEnd - 1,
                              layout.Cert.Offset - 1}) {
        Bytes b = signed_;
        b[at] ^= 0x01;
        EXPECT_EQ(Check(b), SignedBytes::Mismatch) << "byte " << at << " changed";
    }
    {
        SCOPED_TRACE("the signed digest itself changed");
        uint8_t digest[kSha256Bytes];
        ASSERT_EQ(FindSignedDigest(signed_.data() + layout.Cert.Offset, layout.Cert.Size, layout.Cert.Size, digest),
                  SignatureWalk::Sha256);
        Bytes b = signed_;
        const auto d = std::search(b.begin() + layout.Cert.Offset, b.end(), digest, digest + kSha256Bytes);
        ASSERT_NE(d, b.end());
        d[kSha256Bytes - 1] ^= 0x01;
        EXPECT_EQ(Check(b), SignedBytes::Mismatch);
    }
    {
        SCOPED_TRACE("the digest algorithm's identifier damaged, and a byte of the Windows image changed");
        Bytes b = signed_;
        const Bytes sha256 = Oid(der::kOidSha256);
        // The second: the first names the algorithm in digestAlgorithms, the second the digest's.
        auto oid = std::search(b.begin() + layout.Cert.Offset, b.end(), sha256.begin(), sha256.end());
        ASSERT_NE(oid, b.end());
        oid = std::search(oid + 1, b.end(), sha256.begin(), sha256.end());
        ASSERT_NE(oid, b.end());
        oid[2] = 0x00;
        b[0x6000] ^= 0x01;
        EXPECT_EQ(Check(b), SignedBytes::UnknownAlgorithm);
    }
    {
        SCOPED_TRACE("a table that does not end the file");
        Bytes b = signed_;
        b.push_back(0);
        EXPECT_EQ(Check(b), SignedBytes::Malformed);
    }
}

}  // namespace
}  // namespace vq::test
