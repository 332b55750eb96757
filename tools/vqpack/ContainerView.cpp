// A container held in memory, read through the format's own readers.
#include "tools/vqpack/ContainerView.h"

#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/Verify.h"

namespace vq {

bool ReadContainer(const Bytes& file, ContainerView& view, std::string& err) {
    if (file.size() > kMaxFileSize) {
        err = ContainerErrorText(ContainerError::TooLarge);
        return false;
    }
    MemorySource src(file.data(), file.size());
    ContainerError e = ReadContainerHeader(src, static_cast<uint32_t>(file.size()), view.Info);
    if (e != ContainerError::None) {
        err = UnreadableText(file, e);
        return false;
    }
    // EntryCount is bounded by the file's size once the header is accepted.
    std::vector<TPayloadEntry> table(view.Info.Header.EntryCount);
    if (!table.empty()) e = ReadContainerRecords(src, view.Info, table.data());
    if (e != ContainerError::None) {
        err = ContainerErrorText(e);
        return false;
    }
    view.Extents.resize(table.size());
    for (uint32_t i = 0; i < table.size(); ++i) view.Extents[i] = EntryExtent(view.Info, table.data(), i);
    return true;
}

bool LoadContainerFile(const std::string& path, Bytes& file, ContainerView& view, std::string& err) {
    if (!ReadWholeFile(path, file, err)) return false;
    if (ReadContainer(file, view, err)) return true;
    err = path + ": " + err;
    return false;
}

}  // namespace vq
