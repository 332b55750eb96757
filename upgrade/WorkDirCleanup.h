// Empties and removes the work directory once the flash is done.
#pragma once

#include <string>

namespace vq {

// False, touching nothing, when workDir is not an existing directory. Otherwise lists every
// entry first, then deletes each listed name by its full path inside workDir, moves the current
// directory to exeDir and removes workDir; returns true whatever those steps achieved (an entry
// that cannot be deleted, such as a subdirectory, keeps the directory in place).
bool CleanWorkDirectory(const std::string& workDir, const std::string& exeDir);

}  // namespace vq
