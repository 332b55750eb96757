// Where the DOS doubles look for the switches a test sets (DOSBox passes no host environment),
// and where the flash double leaves what it was given. All outside the work directory.
#pragma once

#include <stdint.h>

#include "testing/dos/TrapRecord.h"

namespace vq::testing {

inline constexpr const char* kFlashErrorSwitch = "C:\\VQCTL\\FLASHERR.TXT";  // flash double fails
inline constexpr const char* kStaleLogSwitch = "C:\\VQCTL\\GZLOG.TXT";       // gzip double leaves a log
inline constexpr const char* kFlashedCopy = "C:\\FLASHED.BIN";               // the image flash received
inline constexpr const char* kFlashDirRecord = "C:\\FLASHDIR.TXT";            // its current directory
inline constexpr const char* kGzipShot = "C:\\GZSHOT.BIN";              // screen while gzip ran
inline constexpr const char* kFlashShot = "C:\\FLSHOT.BIN";             // screen while flash ran
inline constexpr const char* kStdinSwitch = "C:\\VQCTL\\GZSTDIN.TXT";     // gzip double reads its stdin
inline constexpr const char* kStdinRecord = "C:\\GZSTDIN.BIN";             // what it read there
inline constexpr const char* kDirtyEspSwitch = "C:\\VQCTL\\GZESP.TXT";     // gzip double ends with ESP >= 64 KiB
inline constexpr const char* kStaleImageSwitch = "C:\\VQCTL\\GZBIOS.TXT";  // gzip double leaves a BIOS.BIN
inline constexpr const char* kGzipResidentSwitch = "C:\\VQCTL\\GZTSR.TXT";  // gzip double stays resident
inline constexpr const char* kFlashResidentSwitch = "C:\\VQCTL\\FLASHTSR.TXT";  // flash double stays resident
inline constexpr const char* kFlashDriveSwitch = "C:\\VQCTL\\FLASHDRV.TXT";  // flash double ends on D:, C: at its root
inline constexpr const char* kFlashSubdirSwitch = "C:\\VQCTL\\FLASHSUB.TXT";  // flash double leaves a folder
inline constexpr const char* kFlashSubdirName = "KEEP";                         // ... of this name, where it ran
inline constexpr const char* kVectorsSwitch = "C:\\VQCTL\\GZVEC.TXT";  // gzip double records INT 23h, 24h
inline constexpr const char* kVectorsRecord = "C:\\GZVEC.BIN";            // ... as it finds them (offset, segment)
inline constexpr const char* kTrapRecord = VQ_TRAP_RECORD;                  // VQTRAP's, in the same form
inline constexpr uint8_t kOtherDrive = 3;                                      // D:, a second folder the test mounts
inline constexpr const char* kErrorLog = "ERROR.LOG";

}  // namespace vq::testing
