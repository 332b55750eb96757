// What runs between the start-up code and main: memory, and the argument vector.
#include "dos/rt/CommandTail.h"
#include "dos/rt/Far.h"
#include "dos/rt/Memory.h"
#include "dos/rt/Process.h"
#include "dos/rt/Regs.h"

extern "C" char VqStackTop[];  // end of the data group, from the linker script

int main(int argc, char** argv);

namespace {

constexpr uint16_t kPspTailLength = 0x80;
constexpr uint16_t kPspTailText = 0x81;
constexpr uint32_t kMaxArgs = 16;

char gProgramPath[vq::rt::kProgramPathBytes];
char gTail[vq::rt::kTailBytes];
char* gArgv[kMaxArgs + 2];

// DOS gives a program all free memory; keep only what it occupies, so that EXEC and 48h work.
void ShrinkToImage() {
    const uint16_t psp = vq::rt::PspSegment();
    const uint16_t end = uint16_t(vq::rt::DataSegment() + vq::rt::ParagraphsFor(vq::rt::NearOffset(VqStackTop)));
    vq::rt::ResizeBlock(psp, uint16_t(end - psp));
}

int BuildArgv() {
    if (!vq::rt::GetProgramPath(gProgramPath, sizeof gProgramPath)) gProgramPath[0] = '\0';
    gArgv[0] = gProgramPath;
    const uint16_t psp = vq::rt::PspSegment();
    uint32_t len = vq::rt::FarPeek(psp, kPspTailLength);
    if (len > vq::rt::kTailBytes - 2) len = vq::rt::kTailBytes - 2;
    for (uint32_t i = 0; i < len; ++i) gTail[i] = char(vq::rt::FarPeek(psp, uint16_t(kPspTailText + i)));
    gTail[len] = '\0';
    const uint32_t n = vq::rt::SplitCommandTail(gTail, len, gArgv + 1, kMaxArgs);
    gArgv[1 + n] = nullptr;
    return int(1 + n);
}

}  // namespace

extern "C" int VqStart() {
    ShrinkToImage();
    const int argc = BuildArgv();
    return main(argc, gArgv);
}
