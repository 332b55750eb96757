// Keeps libraries from being loaded out of the program's own folder.
#pragma once

namespace vq {

// Restricts the DLL search of this process to the system directory. True when the system
// offers the restriction and accepted it.
bool RestrictDllSearchToSystem();

}  // namespace vq
