// Files and directories reached through a directory handle the program holds, never through a
// path looked up again: creation, opening without following a link, listing and deletion.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/FileId.h"
#include "base/WinHandle.h"

namespace vq {

// What an open object is: who it is, and its attributes as the object itself has them (a link
// opened without following shows FILE_ATTRIBUTE_REPARSE_POINT). Two are the same object when
// their FileId parts are equal.
struct FileIdentity : FileId {
    DWORD Attributes = 0;
};
bool IdentityOf(HANDLE object, FileIdentity& out);

// A directory that is just that: no link, no junction, no other redirection.
bool IsPlainDirectory(DWORD attributes);

// Names of the program's own are plain ASCII; the system's calls take them in UTF-16.
std::wstring AsciiToWide(std::string_view ascii);

// How an object is reached relative to a held directory (NtCreateFile's disposition and options).
enum class Relative {
    CreateFile,       // a new file; fails when anything has the name
    CreateDirectory,  // a new directory; fails when anything has the name
    OpenDirectory,    // an existing directory, not followed should it be a link
    OpenAny,          // whatever has the name, a link itself and not its target
};

// Opens or creates `name` (no "\" in it) inside the directory held by `dir` with the given
// access and sharing; synchronous I/O. `security` (may be null) applies to a new object. An
// empty handle when that fails, with the reason in *status if given.
UniqueHandle OpenRelative(HANDLE dir, std::wstring_view name, Relative how, ACCESS_MASK access,
                          ULONG share, PSECURITY_DESCRIPTOR security = nullptr,
                          LONG* status = nullptr);

// NtCreateFile's answer when the name is already taken.
inline constexpr LONG kStatusNameCollision = static_cast<LONG>(0xC0000035);
// Answers that only last while someone else holds the object: it is open without the sharing
// asked for, or it is marked for deletion and goes once its last handle closes.
inline constexpr LONG kStatusSharingViolation = static_cast<LONG>(0xC0000043);
inline constexpr LONG kStatusDeletePending = static_cast<LONG>(0xC0000056);
// A file that cannot be marked for deletion: read-only, or the image of a running program.
inline constexpr LONG kStatusCannotDelete = static_cast<LONG>(0xC0000121);

// The names in the directory held by `dir` (opened with FILE_LIST_DIRECTORY), without "." and
// ".."; false when the listing fails.
bool ListNames(HANDLE dir, std::vector<std::wstring>& names);

// The entry `name` as the listing of the directory `dir` shows it: its identity and attributes
// without following it. False when there is no such entry.
bool EntryIdentity(HANDLE dir, std::wstring_view name, FileIdentity& out);

// Marks the object (opened with DELETE) to go when its last handle closes; false when it
// cannot go (a read-only file, a directory that is not empty), with the reason in *status if
// given.
bool MarkForDeletion(HANDLE object, LONG* status = nullptr);

// Sets the attributes of the object (opened with FILE_WRITE_ATTRIBUTES).
bool SetAttributes(HANDLE object, DWORD attributes);

}  // namespace vq
