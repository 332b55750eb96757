// Putting our INT 23h and INT 24h handlers in DOS's place, and DOS's back.
#include "dos/rt/Breaks.h"

#include "dos/rt/Far.h"

extern "C" char VqIgnoreBreak[];
extern "C" char VqFailCriticalError[];

namespace vq::rt {
namespace {

constexpr uint8_t kIntBreak = 0x23;
constexpr uint8_t kIntCriticalError = 0x24;
constexpr uint16_t kVectorTableSegment = 0;
constexpr uint16_t kVectorBytes = 4;  // offset, then segment

struct Vector {
    uint16_t off, seg;
};

// The table is written directly, not through INT 21h 25h: right after a child ends DOS's own
// Ctrl-Break handler is back, and a DOS call could meet a Ctrl-Break and end the program before
// ours is in place.
Vector ReadVector(uint8_t n) {
    const uint16_t at = uint16_t(n * kVectorBytes);
    return {FarPeek16(kVectorTableSegment, at), FarPeek16(kVectorTableSegment, uint16_t(at + 2))};
}

void WriteVector(uint8_t n, Vector v) {
    FarPoke32(kVectorTableSegment, uint16_t(n * kVectorBytes), uint32_t(v.seg) << 16 | v.off);
}

uint16_t CodeSegment() {
    uint16_t cs;
    asm volatile("movw %%cs, %0" : "=r"(cs));
    return cs;
}

bool gQuiet = false;
Vector gDosBreak, gDosCriticalError;

void InstallOurs() {
    const uint16_t cs = CodeSegment();
    WriteVector(kIntBreak, {uint16_t(reinterpret_cast<uintptr_t>(VqIgnoreBreak)), cs});
    WriteVector(kIntCriticalError, {uint16_t(reinterpret_cast<uintptr_t>(VqFailCriticalError)), cs});
}

void RestoreDos() {
    WriteVector(kIntBreak, gDosBreak);
    WriteVector(kIntCriticalError, gDosCriticalError);
}

}  // namespace

QuietBreaks::QuietBreaks() {
    gDosBreak = ReadVector(kIntBreak);
    gDosCriticalError = ReadVector(kIntCriticalError);
    InstallOurs();
    gQuiet = true;
}

QuietBreaks::~QuietBreaks() {
    gQuiet = false;
    RestoreDos();
}

ChildHandlers::ChildHandlers() {
    if (gQuiet) RestoreDos();
}

ChildHandlers::~ChildHandlers() {
    if (gQuiet) InstallOurs();
}

}  // namespace vq::rt
