// DOS memory blocks.
#include "dos/rt/Memory.h"

#include "dos/rt/Regs.h"

namespace vq::rt {

bool AllocParagraphs(uint16_t paragraphs, uint16_t& seg) {
    Regs r = NewRegs();
    r.ebx = paragraphs;
    if (!DosCall(0x48, r)) return false;
    seg = uint16_t(r.eax);
    return true;
}

bool FreeSegment(uint16_t seg) {
    Regs r = NewRegs();
    r.es = seg;
    return DosCall(0x49, r);
}

bool ResizeBlock(uint16_t seg, uint16_t paragraphs) {
    Regs r = NewRegs();
    r.es = seg;
    r.ebx = paragraphs;
    return DosCall(0x4A, r);
}

}  // namespace vq::rt
