// What the DOS program shows, and in which colours.
#pragma once

#include <stdint.h>

#include "base/Product.h"

namespace vq::dos {

inline constexpr uint8_t kColourTitle = 14;      // yellow
inline constexpr uint8_t kColourText = 7;        // light grey: description, prompt, erasing
inline constexpr uint8_t kColourWarning = 0x84;  // blinking red
inline constexpr uint8_t kColourStatus = 10;     // light green
inline constexpr uint8_t kColourFailure = 4;     // red

inline constexpr const char* kTitle = vq::kProductTitle;
inline constexpr const char* kDescription =
    "Upgrade your Sugarbay platform to support Ivybridge processors\r\n"
    "Disclaimer: Do Not abort the upgrade after starting it.";
inline constexpr const char* kPrompt = "Start to upgrade your Sugarbay platform (y/n)? ";
inline constexpr const char* kWarning = "Do Not Abort the Upgrade or Turn Off the Power.";

inline constexpr const char* kStatusExtracting = "Extracting files ...";
inline constexpr const char* kStatusFlashing = "Flashing BIOS ...";
inline constexpr const char* kStatusCleaning = "Removing temporary files ...";
// What the user does once the firmware is written, whether or not the program switches off.
#define VQ_DOS_JUMPER_INSTRUCTION "Please remove the ME_UNLOCK jumper and clear the CMOS"
inline constexpr const char* kStatusShutdownNotice = "System will be shutdown. " VQ_DOS_JUMPER_INSTRUCTION;
// The firmware is written but the work directory stays: the power stays on too, so that the
// user can delete it at the prompt, with the failure line below saying so.
inline constexpr const char* kStatusFlashedNotice = "Upgrade Complete. " VQ_DOS_JUMPER_INSTRUCTION;
inline constexpr const char* kStatusSwitchOffYourself =
    "System will not be shutdown. Please switch it off when VqPTemp is deleted";
inline constexpr const char* kStatusPreparingShutdown = "Preparing to shutdown the system";

inline constexpr const char* kFailExtract = "Fail to extract upgrade files. File may be corrupted.";
inline constexpr const char* kFailUpgrade = "Fail to upgrade. Please check if ME_UNLOCK is shorted.";
inline constexpr const char* kFailCleanup = "Fail to remove temporary files. Please delete VqPTemp.";
// Below kFailExtract when an existing work directory is refused, untouched: the file is not to blame.
inline constexpr const char* kFailLeftover = "VqPTemp was not left by this upgrade. Please move or delete VqPTemp.";
// When the power-off comes back: another chipset, or one that did not switch off.
inline constexpr const char* kFailPowerOff = "The computer did not switch itself off. Please switch it off now.";

inline constexpr int kExitDone = 0;              // declined, refused, or a step failed
inline constexpr int kExitPowerOffReturned = 1;  // flashed and cleaned up; the power is still on

}  // namespace vq::dos
