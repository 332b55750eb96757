// The signed release's own check on DOS: its bytes against the digest its signature carries.
#pragma once

namespace vq::dos {

// True for an unsigned file, for a signed one whose SHA-256 digest matches, and for a sound
// signature whose digest algorithm this program does not implement (it cannot check those, and
// runs them as unsigned). False when the bytes changed, the table or signature cannot be read,
// or the file cannot be read.
bool DosSignedBytesMatch(const char* exePath);

}  // namespace vq::dos
