// Child programs, the PSP and the environment block.
#include "dos/rt/Process.h"

#include "dos/rt/Breaks.h"
#include "dos/rt/CommandTail.h"
#include "dos/rt/EnvBlock.h"
#include "dos/rt/Far.h"
#include "dos/rt/Regs.h"
#include "dos/rt/Str.h"

extern "C" uint16_t VqPspSegment;  // stored by the start-up code

namespace vq::rt {
namespace {

constexpr uint16_t kPspEnvSegment = 0x2C;
constexpr uint16_t kMcbParagraphs = 3;  // in the memory control block one paragraph below a block
constexpr uint32_t kMaxEnvBytes = 32768;

struct __attribute__((packed)) ExecParams {
    uint16_t envSeg;  // 0: the child inherits ours
    uint16_t tailOff, tailSeg;
    uint16_t fcb1Off, fcb1Seg;
    uint16_t fcb2Off, fcb2Seg;
};

// An empty FCB for both FCB slots: the children here parse their own command line.
constexpr uint8_t kBlankFcb[16] = {0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0};

struct FarEnv {
    uint16_t seg;
    uint8_t operator()(uint32_t i) const { return FarPeek(seg, uint16_t(i)); }
};

bool EnvBlock(FarEnv& env, uint32_t& size) {
    env.seg = FarPeek16(PspSegment(), kPspEnvSegment);
    if (env.seg == 0) return false;
    size = uint32_t(FarPeek16(uint16_t(env.seg - 1), kMcbParagraphs)) * 16;
    if (size > kMaxEnvBytes) size = kMaxEnvBytes;
    return true;
}

}  // namespace

uint16_t PspSegment() { return VqPspSegment; }

bool GetEnv(const char* name, char* out, uint32_t cap) {
    FarEnv env;
    uint32_t size;
    return EnvBlock(env, size) && FindEnvValue(env, size, name, out, cap);
}

bool GetProgramPath(char* out, uint32_t cap) {
    FarEnv env;
    uint32_t size;
    return EnvBlock(env, size) && FindProgramPath(env, size, out, cap);
}

bool RunProgram(const char* path, const char* const* args, uint32_t count, ChildEnd& end) {
    uint8_t tail[kTailBytes];
    if (!BuildCommandTail(args, count, tail)) return false;
    const uint16_t ds = DataSegment();
    const ExecParams params{0, uint16_t(NearOffset(tail)), ds, uint16_t(NearOffset(kBlankFcb)), ds,
                            uint16_t(NearOffset(kBlankFcb)), ds};
    Regs r = NewRegs();
    r.eax = 0x00;
    r.edx = NearOffset(path);
    r.ebx = NearOffset(&params);  // ES:BX
    {
        const ChildHandlers dosOwn;
        if (!DosCall(0x4B, r)) return false;
    }
    r = NewRegs();
    DosCall(0x4D, r);
    end = ChildEnd{uint8_t(r.eax >> 8), uint8_t(r.eax)};
    return true;
}

}  // namespace vq::rt
