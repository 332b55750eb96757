// Files and directories reached through a directory handle the program holds, with ntdll's
// relative calls (looked up in base/SystemCalls).
#include "base/RelativeFiles.h"

#include <winternl.h>

#include <stddef.h>

#include "base/SystemCalls.h"

namespace vq {

namespace {

// NtCreateFile's dispositions and options (ntifs.h).
constexpr ULONG kFileOpen = 1;
constexpr ULONG kFileCreate = 2;
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kSynchronousIoNonAlert = 0x00000020;
constexpr ULONG kNonDirectoryFile = 0x00000040;
constexpr ULONG kOpenForBackupIntent = 0x00004000;
constexpr ULONG kOpenReparsePoint = 0x00200000;

// Information classes (wdm.h) and the statuses looked at.
constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kFileDispositionInformation = 13;
constexpr ULONG kFileIdBothDirectoryInformation = 37;
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kStatusUnsuccessful = static_cast<NTSTATUS>(0xC0000001);

struct BasicInformation {
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;  // 0: unchanged
    ULONG FileAttributes;
};

struct IdBothDirInformation {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, EndOfFile, AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;  // in bytes
    ULONG EaSize;
    CCHAR ShortNameLength;
    WCHAR ShortName[12];
    LARGE_INTEGER FileId;
    WCHAR FileName[1];
};

// The layouts the kernel writes and reads, in both widths.
static_assert(sizeof(BasicInformation) == 40);
static_assert(offsetof(IdBothDirInformation, FileId) == 96 && offsetof(IdBothDirInformation, FileName) == 104);

NTSTATUS SetInformation(HANDLE object, void* info, ULONG size, ULONG infoClass) {
    const auto set = LookUpNtSetInformationFile();
    IO_STATUS_BLOCK io{};
    return set ? set(object, &io, info, size, infoClass) : kStatusUnsuccessful;
}

UNICODE_STRING Counted(std::wstring_view text) {
    UNICODE_STRING s;
    s.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    s.MaximumLength = s.Length;
    s.Buffer = const_cast<wchar_t*>(text.data());
    return s;
}

// Walks a listing of `dir`, `mask` an exact name or empty for all; `visit` gets each entry and
// returns false to stop. False when the listing fails. A handle keeps the first mask it was asked
// with, and under Wine what the directory held at its first listing: each walk lists through a
// handle of its own, opened again from `dir`.
template <class Visit>
bool WalkListing(HANDLE dir, std::wstring_view mask, Visit visit) {
    const auto query = LookUpNtQueryDirectoryFile();
    const UniqueHandle listing =
        OpenRelative(dir, std::wstring_view(), Relative::OpenDirectory, FILE_LIST_DIRECTORY,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!query || !listing.Valid()) return false;
    alignas(8) BYTE buffer[16384];
    UNICODE_STRING pattern = Counted(mask);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io{};
        const NTSTATUS status = query(listing.Get(), nullptr, nullptr, nullptr, &io, buffer, sizeof buffer,
                                      kFileIdBothDirectoryInformation, FALSE,
                                      mask.empty() ? nullptr : &pattern, restart);
        if (status == kStatusNoMoreFiles) return true;
        if (status < 0) return false;
        for (const BYTE* at = buffer;;) {
            const auto* entry = reinterpret_cast<const IdBothDirInformation*>(at);
            if (!visit(*entry)) return true;
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
}

std::wstring_view NameOf(const IdBothDirInformation& entry) {
    return std::wstring_view(entry.FileName, entry.FileNameLength / sizeof(wchar_t));
}

}  // namespace

bool IdentityOf(HANDLE object, FileIdentity& out) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(object, &info)) return false;
    out.Volume = info.dwVolumeSerialNumber;
    out.Index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out.Attributes = info.dwFileAttributes;
    return true;
}

bool IsPlainDirectory(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::wstring AsciiToWide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

UniqueHandle OpenRelative(HANDLE dir, std::wstring_view name, Relative how, ACCESS_MASK access, ULONG share,
                          PSECURITY_DESCRIPTOR security, LONG* status) {
    ULONG disposition = kFileOpen;
    ULONG options = kSynchronousIoNonAlert | kOpenForBackupIntent | kOpenReparsePoint;
    switch (how) {
        case Relative::CreateFile:
            disposition = kFileCreate;
            options |= kNonDirectoryFile;
            break;
        case Relative::CreateDirectory:
            disposition = kFileCreate;
            options |= kDirectoryFile;
            break;
        case Relative::OpenDirectory:
            options |= kDirectoryFile;
            break;
        case Relative::OpenAny:
            break;
    }
    NTSTATUS result = kStatusUnsuccessful;
    HANDLE handle = nullptr;
    if (const auto create = LookUpNtCreateFile()) {
        UNICODE_STRING objectName = Counted(name);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, dir, security);
        IO_STATUS_BLOCK io{};
        result = create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                        share, disposition, options, nullptr, 0);
    }
    if (status) *status = result;
    return UniqueHandle(result >= 0 ? handle : nullptr);
}

bool ListNames(HANDLE dir, std::vector<std::wstring>& names) {
    return WalkListing(dir, std::wstring_view(), [&](const IdBothDirInformation& entry) {
        const std::wstring_view name = NameOf(entry);
        if (name != L"." && name != L"..") names.emplace_back(name);
        return true;
    });
}

bool EntryIdentity(HANDLE dir, std::wstring_view name, FileIdentity& out) {
    bool found = false;
    const bool listed = WalkListing(dir, name, [&](const IdBothDirInformation& entry) {
        found = true;
        out.Volume = 0;
        out.Index = static_cast<uint64_t>(entry.FileId.QuadPart);
        out.Attributes = entry.FileAttributes;
        return false;
    });
    return listed && found;
}

bool MarkForDeletion(HANDLE object, LONG* status) {
    BOOLEAN deleteFile = TRUE;
    const NTSTATUS result = SetInformation(object, &deleteFile, sizeof deleteFile, kFileDispositionInformation);
    if (status) *status = result;
    return result >= 0;
}

bool SetAttributes(HANDLE object, DWORD attributes) {
    BasicInformation info{};
    info.FileAttributes = attributes;
    return SetInformation(object, &info, sizeof info, kFileBasicInformation) >= 0;
}

}  // namespace vq
