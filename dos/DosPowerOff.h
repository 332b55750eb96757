// Switching the machine off through the chipset's ACPI block: the PCI and ACPI registers, and
// the plan decided from the LPC bridge's configuration space (portable, so it is tested natively;
// the port writes are DosPowerOff in DosPowerOff.cpp).
#pragma once

#include <stdint.h>

namespace vq::dos {

inline constexpr uint16_t kPciConfigAddress = 0xCF8;
inline constexpr uint16_t kPciConfigData = 0xCFC;
inline constexpr uint32_t kLpcBridgeConfig = 0x8000F800;    // enable, bus 0, device 31, function 0
inline constexpr uint8_t kPciIdRegister = 0x00;             // vendor ID in bits 0..15
inline constexpr uint8_t kPciClassRegister = 0x08;          // class code in bits 16..31
inline constexpr uint8_t kLpcPmBaseRegister = 0x40;
inline constexpr uint16_t kIntelVendorId = 0x8086;
inline constexpr uint16_t kIsaBridgeClass = 0x0601;         // base class 06h bridge, subclass 01h ISA
inline constexpr uint16_t kPm1ControlHighOffset = 5;        // bits 8..15 of PM1 control (base + 4)
inline constexpr uint8_t kSleepTypeSoftOff = 0x1C;          // SLP_TYP = 7
inline constexpr uint8_t kSleepEnable = 0x20;               // SLP_EN, bit 13 of the register
inline constexpr uint16_t kPowerOffDelaySeconds = 7;

struct PowerOffPlan {
    bool write;         // false: not the bridge we know, or no base; touch no port
    uint16_t pm1Port;   // the PM1 control byte that holds SLP_TYP and SLP_EN
};
struct LpcBridgeRegisters {
    uint32_t id;
    uint32_t classCode;
    uint32_t pmBase;
};
PowerOffPlan PlanPowerOff(const LpcBridgeRegisters& lpc);

}  // namespace vq::dos
