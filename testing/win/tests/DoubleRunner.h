// Helpers for tests that run the Windows test doubles for real: scratch folders, files, processes.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace vq::testing {

// A folder under %TEMP% made new for this object (never one found there), deleted with everything
// in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const char* tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Deletes everything below and at path; a link is removed by itself, never followed, also one
// whose target is gone.
void DeleteTree(const std::string& path);

// Makes `link` a symbolic link to the directory `target`, as a Unix symlink (Wine shows it as a
// reparse point, attributes 0x410); false where that cannot be done.
bool MakeDirectoryLink(const std::string& link, const std::string& target);

// Renames `from` to `to` from the Unix side, as Windows' sharing rules would not allow (a held
// directory), and waits until it is done; false where that cannot be done.
bool UnixMove(const std::string& from, const std::string& to);

// The folder the running test program lies in: the doubles are built beside it.
std::string BinDir();

bool FileExists(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& data);
void CopyInto(const std::string& dir, const char* name);  // from BinDir()

// Runs appPath with the given command line and current directory the way the upgrade does
// (application name plus a command line of arguments only); returns the exit code, 255 when the
// program could not be started.
DWORD RunTool(const std::string& appPath, const std::string& commandLine, const std::string& cwd);

// Sets NAME to VALUE in the doubles' settings file in `dir` (testing/win/DoubleSupport.h), which
// the doubles in a folder below `dir` read; replaces what the file said of NAME.
void SetDoubleSetting(const std::string& dir, const std::string& name, const std::string& value);

// Sets or (with nullptr) removes a variable the started doubles inherit, for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_;
};

}  // namespace vq::testing
