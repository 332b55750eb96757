// Empties and removes the work directory once the flash is done.
#pragma once

#include <string>

namespace vq {

// What stands at a path, the path itself and not where a link would lead.
enum class PathKind {
    Missing,       // nothing, or nothing the program can see
    Directory,     // a real directory
    ReparsePoint,  // a symbolic link, a junction or another redirection
    Other,         // a file
};
PathKind KindOf(const std::string& path);

// False, touching nothing, when workDir is not a real directory (missing, a file, or a link or
// junction to somewhere else). Otherwise lists every entry first, then deletes each listed name
// by its full path inside workDir, moves the current directory to exeDir and removes workDir;
// returns true whatever those steps achieved (an entry that cannot be deleted, such as a
// subdirectory, keeps the directory in place). Should workDir stop being a real directory
// between two deletions, it stops there and returns false.
bool CleanWorkDirectory(const std::string& workDir, const std::string& exeDir);

}  // namespace vq
