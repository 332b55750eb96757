// Byte buffers and the in-memory Source the container readers use inside vqpack and its tests.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

namespace vq {

using Bytes = std::vector<uint8_t>;

// A Source for ReadContainerHeader / ReadContainerRecords over bytes in memory.
class MemorySource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Read(uint32_t pos, void* dst, uint32_t len) const {
        if (pos > size_ || len > size_ - pos) return false;
        if (len != 0) memcpy(dst, data_ + pos, len);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace vq
