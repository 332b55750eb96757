// Who a file is, whatever name or link reaches it.
#pragma once

#include <stdint.h>

namespace vq {

// The volume (its serial number on Windows, the device on Unix) and the file's number on it.
struct FileId {
    uint64_t Volume = 0;
    uint64_t Index = 0;
    bool operator==(const FileId& o) const { return Volume == o.Volume && Index == o.Index; }
};

}  // namespace vq
