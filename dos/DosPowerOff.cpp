// Switches the machine off through the chipset's ACPI power-management block.
#include "DosSteps.h"
#include "Port.h"
#include "Time.h"

namespace vqdos {

void DosPowerOff() {
    rt::Out32(kPciConfigAddress, kLpcPmBaseRegister);
    const PowerOffPlan plan = PlanPowerOff(rt::In32(kPciConfigData));
    // The user gets the same seconds to read the last status line whatever the hardware is.
    rt::WaitSeconds(kPowerOffDelaySeconds);
    // Without the bridge, or with no base programmed, the ports would belong to something else.
    if (!plan.write) return;
    rt::Out8(plan.pm1Port, uint8_t(rt::In8(plan.pm1Port) | kSleepTypeSoftOff));
    rt::Out8(plan.pm1Port, uint8_t(rt::In8(plan.pm1Port) | kSleepEnable));
}

}  // namespace vqdos
