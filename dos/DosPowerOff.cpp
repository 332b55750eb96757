// Switches the machine off through the chipset's ACPI power-management block.
#include "dos/DosPowerOff.h"
#include "dos/DosSteps.h"
#include "dos/rt/Port.h"
#include "dos/rt/Time.h"

namespace vq::dos {
namespace {

uint32_t ReadLpcBridge(uint8_t reg) {
    rt::Out32(kPciConfigAddress, kLpcBridgeConfig | reg);
    return rt::In32(kPciConfigData);
}

}  // namespace

void DosPowerOff() {
    const PowerOffPlan plan = PlanPowerOff(LpcBridgeRegisters{
        ReadLpcBridge(kPciIdRegister), ReadLpcBridge(kPciClassRegister), ReadLpcBridge(kLpcPmBaseRegister)});
    // The user gets the same seconds to read the last status line whatever the hardware is.
    rt::WaitSeconds(kPowerOffDelaySeconds);
    // On any other device, or with no base programmed, the ports would belong to something else.
    if (!plan.write) return;
    rt::Out8(plan.pm1Port, uint8_t(rt::In8(plan.pm1Port) | kSleepTypeSoftOff));
    rt::Out8(plan.pm1Port, uint8_t(rt::In8(plan.pm1Port) | kSleepEnable));
}

}  // namespace vq::dos
