// Whether a file is a payload container exactly as this program's packer writes it.
#include "tools/vqpack/Verify.h"

#include <string.h>

#include "payload/FlashImage.h"
#include "payload/PayloadFormat.h"
#include "payload/PayloadEntries.h"
#include "tools/vqpack/GzipMember.h"

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
    const size_t end = kFlashDescriptorOffset + sizeof kFlashDescriptorSignature;
    if (c.PrefixSize < end ||
        memcmp(c.Prefix + kFlashDescriptorOffset, kFlashDescriptorSignature, sizeof kFlashDescriptorSignature) != 0)
        problems.push_back(label + ": flash image lacks the descriptor signature 5A A5 F0 0F at offset 16");
}

}  // namespace

std::vector<std::string> VerifyContainer(const Bytes& file) {
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
        problems.push_back(ContainerErrorText(he));
        return problems;
    }
    const uint32_t count = info.Header.EntryCount;
    if (count == 0) problems.push_back("EntryCount is 0, but entry 0 (the image) always counts");
    if (count > kPayloadEntryCount)
        problems.push_back("EntryCount is " + std::to_string(count) + ", more than the " +
                           std::to_string(kPayloadEntryCount) + " payload file names");
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
        problems.push_back(std::to_string(end - kTrailerSize - pos) +
                           " bytes stand between the last entry's data and the trailer");

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
