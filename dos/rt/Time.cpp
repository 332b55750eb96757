// Waiting by the DOS clock (INT 21h 2Ch), which is good to a hundredth of a second.
#include "dos/rt/Time.h"

#include "dos/rt/Regs.h"

namespace vq::rt {

uint32_t NowHundredths() {
    Regs r = NewRegs();
    DosCall(0x2C, r);  // CH hours, CL minutes, DH seconds, DL hundredths
    const uint32_t h = (r.ecx >> 8) & 0xFF, m = r.ecx & 0xFF, s = (r.edx >> 8) & 0xFF, c = r.edx & 0xFF;
    return ((h * 60 + m) * 60 + s) * 100 + c;
}

void WaitSeconds(uint16_t seconds) {
    const uint32_t start = NowHundredths();
    const uint32_t wanted = uint32_t(seconds) * 100;
    while (ElapsedHundredths(start, NowHundredths()) < wanted) {
    }
}

}  // namespace vq::rt
