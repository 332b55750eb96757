// Files, directories and wildcard search: one small wrapper per INT 21h service.
#include "dos/rt/Files.h"

#include "dos/rt/Path.h"
#include "dos/rt/Regs.h"

namespace vq::rt {
namespace {

bool PathCall(uint8_t ah, const char* path, Regs& r) {
    r.edx = NearOffset(path);
    return DosCall(ah, r);
}

bool PathCall(uint8_t ah, const char* path) {
    Regs r = NewRegs();
    return PathCall(ah, path, r);
}

bool SetDta(FindData& dta) {
    Regs r = NewRegs();
    r.edx = NearOffset(&dta);
    DosCall(0x1A, r);  // has no failure indication
    return true;
}

bool Transfer(uint8_t ah, uint16_t handle, uint16_t seg, uint32_t off, uint16_t len, uint16_t& done) {
    Regs r = NewRegs();
    r.ds = seg;
    r.ebx = handle;
    r.ecx = len;
    r.edx = off;
    done = 0;
    if (!DosCall(ah, r)) return false;
    done = uint16_t(r.eax);
    return true;
}

}  // namespace

uint8_t GetCurrentDrive() {
    Regs r = NewRegs();
    DosCall(0x19, r);  // has no failure indication
    return uint8_t(r.eax);
}

bool SelectDrive(uint8_t drive) {
    Regs r = NewRegs();
    r.edx = drive;
    DosCall(0x0E, r);  // says only how many drives there are: ask which one is current now
    return GetCurrentDrive() == drive;
}

bool GetCurrentDir(char* out, uint32_t cap) {
    const char drive = char('A' + GetCurrentDrive());
    char dir[kDosPathAnswerBytes];
    Regs r = NewRegs();
    r.edx = 0;  // default drive
    r.esi = NearOffset(dir);
    if (!DosCall(0x47, r)) return false;
    const char driveOnly[3] = {drive, ':', '\0'};
    return JoinPath(out, cap, driveOnly, dir);
}

bool TrueName(const char* path, char* out, uint32_t cap) {
    char full[kDosPathAnswerBytes];
    Regs r = NewRegs();
    r.esi = NearOffset(path);
    r.edi = NearOffset(full);  // ES:DI
    return DosCall(0x60, r) && StrCopy(out, cap, full);
}

bool ChangeDir(const char* path) { return PathCall(0x3B, path); }
bool MakeDir(const char* path) { return PathCall(0x39, path); }
bool RemoveDir(const char* path) { return PathCall(0x3A, path); }
bool DeleteFile(const char* path) { return PathCall(0x41, path); }

bool GetAttributes(const char* path, uint16_t& attrs) {
    Regs r = NewRegs();
    r.eax = 0x00;
    if (!PathCall(0x43, path, r)) return false;
    attrs = uint16_t(r.ecx);
    return true;
}

bool SetAttributes(const char* path, uint16_t attrs) {
    Regs r = NewRegs();
    r.eax = 0x01;
    r.ecx = attrs;
    return PathCall(0x43, path, r);
}

bool PathExists(const char* path) {
    uint16_t attrs;
    return GetAttributes(path, attrs);
}

bool RenameFile(const char* from, const char* to) {
    Regs r = NewRegs();
    r.edi = NearOffset(to);  // ES:DI
    return PathCall(0x56, from, r);
}

bool FindFirst(const char* pattern, uint16_t attrMask, FindData& found) {
    SetDta(found);
    Regs r = NewRegs();
    r.ecx = attrMask;
    return PathCall(0x4E, pattern, r);
}

bool FindNext(FindData& found) {
    SetDta(found);
    Regs r = NewRegs();
    return DosCall(0x4F, r);
}

bool OpenFile(const char* path, uint8_t mode, uint16_t& handle) {
    Regs r = NewRegs();
    r.eax = mode;
    if (!PathCall(0x3D, path, r)) return false;
    handle = uint16_t(r.eax);
    return true;
}

bool CreateFile(const char* path, uint16_t attrs, uint16_t& handle) {
    Regs r = NewRegs();
    r.ecx = attrs;
    if (!PathCall(0x3C, path, r)) return false;
    handle = uint16_t(r.eax);
    return true;
}

bool SeekFile(uint16_t handle, uint32_t offset, uint8_t origin, uint32_t& newPos) {
    Regs r = NewRegs();
    r.eax = origin;
    r.ebx = handle;
    r.ecx = offset >> 16;
    r.edx = offset & 0xFFFF;
    if (!DosCall(0x42, r)) return false;
    newPos = (r.edx & 0xFFFF) << 16 | (r.eax & 0xFFFF);
    return true;
}

bool ReadFile(uint16_t handle, void* buf, uint16_t len, uint16_t& got) {
    return Transfer(0x3F, handle, DataSegment(), NearOffset(buf), len, got);
}

bool WriteFile(uint16_t handle, const void* buf, uint16_t len, uint16_t& written) {
    return Transfer(0x40, handle, DataSegment(), NearOffset(buf), len, written);
}

bool ReadFar(uint16_t handle, uint16_t seg, uint16_t off, uint16_t len, uint16_t& got) {
    return Transfer(0x3F, handle, seg, off, len, got);
}

bool WriteFar(uint16_t handle, uint16_t seg, uint16_t off, uint16_t len, uint16_t& written) {
    return Transfer(0x40, handle, seg, off, len, written);
}

bool CloseFile(uint16_t handle) {
    Regs r = NewRegs();
    r.ebx = handle;
    return DosCall(0x3E, r);
}

bool DuplicateHandle(uint16_t handle, uint16_t& copy) {
    Regs r = NewRegs();
    r.ebx = handle;
    if (!DosCall(0x45, r)) return false;
    copy = uint16_t(r.eax);
    return true;
}

bool ForceDuplicateHandle(uint16_t handle, uint16_t target) {
    Regs r = NewRegs();
    r.ebx = handle;
    r.ecx = target;
    return DosCall(0x46, r);
}

bool ReadExact(uint16_t handle, void* buf, uint16_t len) {
    uint16_t got;
    return ReadFile(handle, buf, len, got) && got == len;
}

bool WriteExact(uint16_t handle, const void* buf, uint16_t len) {
    uint16_t written;
    return WriteFile(handle, buf, len, written) && written == len;
}

}  // namespace vq::rt
