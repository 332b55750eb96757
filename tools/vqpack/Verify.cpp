// Whether a file is a payload container exactly as this program's packer writes it.
#include "tools/vqpack/Verify.h"

#include <stdio.h>
#include <string.h>

#include "payload/FlashImageFormat.h"
#include "payload/PayloadFormat.h"
#include "payload/PayloadEntries.h"
#include "payload/SignedDigest.h"
#include "tools/vqpack/GzipMember.h"
#include "tools/vqpack/Wording.h"

namespace vq {
namespace {

std::string EntryLabel(uint32_t i) {
    std::string label = "entry " + std::to_string(i);
    if (i < kPayloadEntryCount) label += std::string(" (") + kPayloadFileNames[i] + ")";
    return label;
}

void CheckFlashImage(const GzipContents& c, const std::string& label,
                     std::vector<std::string>& problems) {
    if (c.Size != kFlashImageSize)
        problems.push_back(label + ": flash image unpacks to " + std::to_string(c.Size) +
                           " bytes, not " + std::to_string(kFlashImageSize));
    if (!HasFlashDescriptor(c.Prefix, c.PrefixSize)) {
        std::string bytes;
        for (uint8_t b : kFlashDescriptorSignature) {
            char hex[4];
            snprintf(hex, sizeof hex, " %02X", b);
            bytes += hex;
        }
        problems.push_back(label + ": flash image lacks the descriptor signature" + bytes + " at offset " +
                           std::to_string(kFlashDescriptorOffset));
    }
}

// A header that a cut or a longer file left where it was: "PQV_", the payload's entry count and
// entry 1's data right after its record, so that bytes of the image that happen to read "PQV_"
// (the program compares against the magic) are not taken for it.
bool FindHeader(const Bytes& file, uint32_t& at, TPayloadHeader& header) {
    const uint32_t first = kHeaderSize + kRecordSize;
    if (file.size() < first) return false;
    const uint8_t* const begin = file.data();
    for (const uint8_t* p = begin; (p = static_cast<const uint8_t*>(memchr(p, 'P', file.size() - first + 1 - size_t(p - begin))));
         ++p) {
        const size_t pos = size_t(p - begin);
        if (ReadLE32(p) != kPayloadMagic) continue;
        header = DecodeHeader(&file[pos]);
        if (header.EntryCount == kPayloadEntryCount && ReadLE32(&file[pos + kHeaderSize]) == pos + first) {
            at = static_cast<uint32_t>(pos);
            return true;
        }
    }
    return false;
}

// The check the DOS face makes before it unpacks (the Windows face asks Windows, which also
// refuses a file changed after signing): the problem it finds, if any.
std::string SignedBytesProblem(const Bytes& file, std::string* unchecked) {
    // Chunks for the hash; the walk needs only the signature's first few hundred bytes of it.
    constexpr uint32_t kChunk = 64 * 1024;
    Bytes chunk(kChunk);
    MemorySource src(file.data(), file.size());
    switch (CheckSignedBytes(src, static_cast<uint32_t>(file.size()), chunk.data(), kChunk)) {
        case SignedBytes::Unsigned:
        case SignedBytes::Match: return "";
        case SignedBytes::Sha1Unchecked:
            if (unchecked)
                *unchecked = "its signature's digest is SHA-1, so whether its bytes are the ones signed was not "
                             "checked (the DOS face runs it unchecked; the Windows face checks it)";
            return "";
        case SignedBytes::Mismatch:
            return "the file's bytes are not the ones its signature names: it was changed after signing, "
                   "and both faces refuse it";
        case SignedBytes::Malformed:
            return "its signature cannot be read: the certificate table's first entry is not an Authenticode "
                   "PKCS#7 SignedData with the file's digest where signing tools put it";
        case SignedBytes::UnknownAlgorithm:
            return "its signature cannot be read: its digest algorithm is neither SHA-256 nor SHA-1, and the DOS "
                   "face refuses it (sign with SHA-256)";
        case SignedBytes::ReadFailed: break;
    }
    return "the signed bytes could not be read";
}

}  // namespace

std::string UnreadableText(const Bytes& file, ContainerError e) {
    const std::string why = ContainerErrorText(e);
    if (file.size() > kMaxFileSize) return why;
    const uint32_t size = static_cast<uint32_t>(file.size());
    MemorySource src(file.data(), file.size());
    const TCertTable cert = ReadCertTableEntry(src, size);
    if (e == ContainerError::BadCertTable && uint64_t(cert.Offset) + cert.Size > size)
        return "cut short: its certificate table ends at byte " + std::to_string(uint64_t(cert.Offset) + cert.Size) +
               ", the file at " + std::to_string(size) + " (" + why + ")";
    if (e != ContainerError::TooSmall && e != ContainerError::TrailerOutOfRange && e != ContainerError::BadMagic)
        return why;
    uint32_t at = 0;
    TPayloadHeader h;
    if (FindHeader(file, at, h)) {
        if (h.TotalSize > size)
            return "cut short: " + std::to_string(size) + " of the " + std::to_string(h.TotalSize) +
                   " bytes its container header gives (" + why + ")";
        if (h.TotalSize < size && h.TotalSize >= kTrailerSize && ReadLE32(&file[h.TotalSize - kTrailerSize]) == at)
            return CountOf(size - h.TotalSize, "byte follows", "bytes follow") + " the container's end at byte " +
                   std::to_string(h.TotalSize) + " (" + why + ")";
    }
    return std::string("not a packed ") + kPayloadFileNames[kEntryImage] + ": no payload container at its end (" +
           why + ")";
}

std::vector<std::string> VerifyContainer(const Bytes& file, std::string* unchecked) {
    std::vector<std::string> problems;
    if (file.size() > kMaxFileSize) {
        problems.push_back(ContainerErrorText(ContainerError::TooLarge));
        return problems;
    }
    const uint32_t fileSize = static_cast<uint32_t>(file.size());
    MemorySource src(file.data(), file.size());
    TContainerInfo info;
    const ContainerError he = ReadContainerHeader(src, fileSize, info);
    if (he != ContainerError::None) {
        problems.push_back(UnreadableText(file, he));
        return problems;
    }
    const std::string signature = SignedBytesProblem(file, unchecked);
    if (!signature.empty()) problems.push_back(signature);
    const uint32_t count = info.Header.EntryCount;
    // The DOS face needs every entry, and the Windows face has a name for no more.
    if (count != kPayloadEntryCount)
        problems.push_back("EntryCount is " + std::to_string(count) + ", but the program takes exactly " +
                           std::to_string(kPayloadEntryCount) + " entries (the image, " +
                           kPayloadFileNames[kEntryDosGzip] + " .. " + kPayloadFileNames[kPayloadEntryCount - 1] +
                           ")");
    // In a signed file the reader has already matched TotalSize to the end before the padding.
    const uint32_t end = info.ContainerEnd;
    if (info.Header.TotalSize != end)
        problems.push_back("TotalSize is " + std::to_string(info.Header.TotalSize) +
                           " but the file is " + std::to_string(end) + " bytes");

    std::vector<TPayloadEntry> table(count);
    uint32_t bad = 0;
    const ContainerError re = count ? ReadContainerRecords(src, info, table.data(), &bad) : ContainerError::None;
    if (re != ContainerError::None) {
        problems.push_back(EntryLabel(bad) + ": " + ContainerErrorText(re));
        return problems;
    }

    // Readers find records by Length and data by Offset; a writer keeps the two in step.
    uint32_t pos = info.ImageSize + kHeaderSize;
    for (uint32_t i = 1; i < count; ++i) {
        if (table[i].Offset != pos + kRecordSize)
            problems.push_back(EntryLabel(i) + ": Offset is " + std::to_string(table[i].Offset) +
                               " but its data starts at " + std::to_string(pos + kRecordSize));
        pos += kRecordSize + table[i].Length;
    }
    if (pos != end - kTrailerSize)
        problems.push_back(CountOf(end - kTrailerSize - pos, "byte stands", "bytes stand") +
                           " between the last entry's data and the trailer");

    for (uint32_t i = 1; i < count && i < kPayloadEntryCount; ++i) {
        if (!kPayloadEntries[i].Gzip) continue;
        const std::string label = EntryLabel(i);
        GzipContents contents;
        const std::vector<std::string> gz =
            CheckGzipMember(file.data() + table[i].Offset, table[i].Length, contents);
        for (const std::string& p : gz) problems.push_back(label + ": " + p);
        const bool inflated = contents.MemberSize != 0;
        if (count == kPayloadEntryCount && inflated && i == kEntryFlashImage)
            CheckFlashImage(contents, label, problems);
    }
    return problems;
}

}  // namespace vq
