// The power-off plan: whether the LPC bridge is the one whose ACPI block is known, and where.
#include "dos/DosPowerOff.h"

namespace vq::dos {

PowerOffPlan PlanPowerOff(const LpcBridgeRegisters& lpc) {
    // Another maker's device, or another kind of device, at this address keeps other registers
    // at these ports; with no device at all every read is FFFFFFFFh.
    if (uint16_t(lpc.id) != kIntelVendorId || uint16_t(lpc.classCode >> 16) != kIsaBridgeClass)
        return PowerOffPlan{false, 0};
    const uint16_t base = uint16_t((lpc.pmBase & ~1u) & 0xFFFF);
    if (base == 0) return PowerOffPlan{false, 0};
    return PowerOffPlan{true, uint16_t(base + kPm1ControlHighOffset)};
}

}  // namespace vq::dos
