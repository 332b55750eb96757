// The running executable as the payload readers (payload/) read it: exact reads at absolute
// positions.
#pragma once

#include <stdint.h>

#include "dos/rt/Files.h"

namespace vq::dos {

struct ExeSource {
    rt::DosFile& file;
    bool Read(uint32_t pos, void* dst, uint32_t len) {
        return len <= 0xFFFF && file.Seek(pos) && rt::ReadExact(file.Handle(), dst, uint16_t(len));
    }
};

}  // namespace vq::dos
