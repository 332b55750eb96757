// Files, directories and wildcard search through INT 21h. Every call returns true on success.
#pragma once

#include <stdint.h>

namespace vq::rt {

inline constexpr uint16_t kAttrReadOnly = 0x01;
inline constexpr uint16_t kAttrHidden = 0x02;
inline constexpr uint16_t kAttrSystem = 0x04;
inline constexpr uint16_t kAttrDirectory = 0x10;
inline constexpr uint16_t kAttrArchive = 0x20;
inline constexpr uint16_t kFindNormalFiles = 0;  // search mask: read-only and archive files too
// Search mask for every entry: hidden and system files and directories besides (not the label).
inline constexpr uint16_t kFindAllEntries = kAttrHidden | kAttrSystem | kAttrDirectory;

// Room for a path that a DOS call writes: 47h writes at most 64 bytes on DOS but 80 on DOSBox
// (measured: 79 characters and the terminator), and 60h is documented to write up to 128.
inline constexpr uint32_t kDosPathAnswerBytes = 128;

inline constexpr uint8_t kOpenRead = 0x00;
inline constexpr uint8_t kOpenReadWrite = 0x02;

inline constexpr uint8_t kSeekFromStart = 0;
inline constexpr uint8_t kSeekFromEnd = 2;

// The current drive, 0 = A (19h); and making another one current (0Eh), true when it is then.
uint8_t GetCurrentDrive();
bool SelectDrive(uint8_t drive);
// Current directory with its drive, e.g. "C:\GAMES" or "C:\".
bool GetCurrentDir(char* out, uint32_t cap);
bool ChangeDir(const char* path);
bool MakeDir(const char* path);
bool RemoveDir(const char* path);
// The path as DOS resolves it (60h): full, upper case, drive substitutions undone.
bool TrueName(const char* path, char* out, uint32_t cap);

bool GetAttributes(const char* path, uint16_t& attrs);
bool SetAttributes(const char* path, uint16_t attrs);
bool PathExists(const char* path);  // file or directory; no access check
bool RenameFile(const char* from, const char* to);
bool DeleteFile(const char* path);

// The disk transfer area of a wildcard search, as DOS lays it out.
struct __attribute__((packed)) FindData {
    uint8_t reserved[21];
    uint8_t attr;
    uint16_t time;
    uint16_t date;
    uint32_t size;
    char name[13];
};
static_assert(sizeof(FindData) == 43, "DOS search record is 43 bytes");

bool FindFirst(const char* pattern, uint16_t attrMask, FindData& found);
bool FindNext(FindData& found);  // same record as FindFirst filled

bool OpenFile(const char* path, uint8_t mode, uint16_t& handle);
bool CreateFile(const char* path, uint16_t attrs, uint16_t& handle);
bool SeekFile(uint16_t handle, uint32_t offset, uint8_t origin, uint32_t& newPos);
bool ReadFile(uint16_t handle, void* buf, uint16_t len, uint16_t& got);
bool WriteFile(uint16_t handle, const void* buf, uint16_t len, uint16_t& written);
// Through a far buffer at seg:off (a DOS memory block).
bool ReadFar(uint16_t handle, uint16_t seg, uint16_t off, uint16_t len, uint16_t& got);
bool WriteFar(uint16_t handle, uint16_t seg, uint16_t off, uint16_t len, uint16_t& written);
bool CloseFile(uint16_t handle);

// A second handle for the open file (45h); and target made another handle for it (46h), closing
// what target referred to before.
bool DuplicateHandle(uint16_t handle, uint16_t& copy);
bool ForceDuplicateHandle(uint16_t handle, uint16_t target);

// Exact-length helpers: false also on a short read or write.
bool ReadExact(uint16_t handle, void* buf, uint16_t len);
bool WriteExact(uint16_t handle, const void* buf, uint16_t len);

// Owns an open handle; closes it when it goes out of scope.
class DosFile {
public:
    DosFile() = default;
    DosFile(const DosFile&) = delete;
    DosFile& operator=(const DosFile&) = delete;
    ~DosFile() { Close(); }

    bool Open(const char* path, uint8_t mode) { return Close() && OpenFile(path, mode, handle_) && (open_ = true); }
    bool Create(const char* path, uint16_t attrs) {
        return Close() && CreateFile(path, attrs, handle_) && (open_ = true);
    }
    bool Close() {
        if (!open_) return true;
        open_ = false;
        return CloseFile(handle_);
    }
    bool Size(uint32_t& size) { return SeekFile(handle_, 0, kSeekFromEnd, size); }
    bool Seek(uint32_t pos) {
        uint32_t at;
        return SeekFile(handle_, pos, kSeekFromStart, at) && at == pos;
    }
    uint16_t Handle() const { return handle_; }

private:
    uint16_t handle_ = 0;
    bool open_ = false;
};

inline constexpr uint16_t kStdoutHandle = 1;

// While it lives, standard output goes to another open file: for this program and for every child
// it starts, since a child inherits the handle table.
class StdoutRedirect {
public:
    StdoutRedirect() = default;
    StdoutRedirect(const StdoutRedirect&) = delete;
    StdoutRedirect& operator=(const StdoutRedirect&) = delete;
    ~StdoutRedirect() { Restore(); }

    bool To(uint16_t handle) {
        return Restore() && DuplicateHandle(kStdoutHandle, saved_) && (held_ = true) &&
               ForceDuplicateHandle(handle, kStdoutHandle);
    }
    bool Restore() {
        if (!held_) return true;
        held_ = false;
        const bool back = ForceDuplicateHandle(saved_, kStdoutHandle);
        return CloseFile(saved_) && back;
    }

private:
    uint16_t saved_ = 0;
    bool held_ = false;
};

}  // namespace vq::rt
