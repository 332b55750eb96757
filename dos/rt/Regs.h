// The register block handed to BIOS and DOS services through the one interrupt gate.
#pragma once

#include <stdint.h>

namespace vq::rt {

struct Regs {
    uint32_t eax, ebx, ecx, edx, esi, edi;
    uint16_t ds, es;
    uint32_t eflags;
};
static_assert(sizeof(Regs) == 32, "layout is shared with IntCall.S");

inline constexpr uint32_t kCarryFlag = 0x0001;

inline uint16_t DataSegment() {
    uint16_t ds;
    asm volatile("movw %%ds, %0" : "=r"(ds));
    return ds;
}

// A block with DS = ES = our data group and every other register zero.
inline Regs NewRegs() {
    Regs r{};
    r.ds = r.es = DataSegment();
    return r;
}

inline uint32_t NearOffset(const void* p) { return uint32_t(reinterpret_cast<uintptr_t>(p)); }

inline bool Carry(const Regs& r) { return (r.eflags & kCarryFlag) != 0; }

}  // namespace vq::rt

extern "C" void VqIntCall(uint32_t intNo, vq::rt::Regs* regs);

namespace vq::rt {

// Raises interrupt intNo with the block; true when the service left the carry flag clear.
inline bool IntCall(uint8_t intNo, Regs& r) {
    VqIntCall(intNo, &r);
    return !Carry(r);
}

inline constexpr uint8_t kIntVideo = 0x10;
inline constexpr uint8_t kIntDos = 0x21;

// INT 21h with AH = function: the usual form of a DOS call.
inline bool DosCall(uint8_t ah, Regs& r) {
    r.eax = (r.eax & 0xFFFF00FFu) | uint32_t(ah) << 8;
    return IntCall(kIntDos, r);
}

}  // namespace vq::rt
