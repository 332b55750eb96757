// Splits the payload container of an executable into one file per entry in a directory.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

namespace vq {

// Writes entry i of the container in the executable open as `exe` (readable, seekable) to a new
// file names[i] inside the directory held by `destDir`, for every entry in order (entry 0 is the
// image in front of the container). Each file is made relative to that handle, never through a
// path, and only where nothing has its name yet: a name taken (a planted file, a link to a file
// elsewhere) fails the call rather than being written through. The container is found as every
// reader finds it, in a signed file too. True once every file is written
// and closed. False, with every handle it opened closed and every buffer freed, when the file
// cannot be read as a sound container, when it has more entries than nameCount names, or when an
// output file cannot be created or written completely. A container that fails any check creates
// no file; a failure while writing leaves the files made so far.
bool ExtractPayload(HANDLE exe, HANDLE destDir, const char* const* names, uint32_t nameCount);

template <size_t N>
bool ExtractPayload(HANDLE exe, HANDLE destDir, const char* const (&names)[N]) {
    static_assert(N <= UINT32_MAX);
    return ExtractPayload(exe, destDir, names, static_cast<uint32_t>(N));
}

}  // namespace vq
