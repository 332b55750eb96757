// Makes the work directory fresh before the payload goes into it: the program's own, empty,
// and writable only by Administrators and SYSTEM.
#pragma once

#include <string>

namespace vq {

// Who may do what in a new work directory, as a security descriptor string: a protected list (no
// rights inherited from the folder the program lies in) giving Administrators and SYSTEM full
// control and ordinary users only reading, so nothing running as the user can swap Bios.bin or
// plant a DLL between two steps of the upgrade. Others may still look at what a failed run left.
inline constexpr const char* kWorkDirSecurity =
    "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

// Leaves workDir as a new, empty, hidden directory made by this call with kWorkDirSecurity.
// A real directory already there (left by an earlier failed run, or made by someone else) is
// emptied and removed first, the current directory moving to the folder that holds it. False,
// deleting nothing, when a link, a junction or a file has the name, and false when the old
// directory cannot be emptied, the new one cannot be made, or workDir is no full path.
bool PrepareWorkDirectory(const std::string& workDir);

}  // namespace vq
