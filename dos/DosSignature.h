// The signed release's own check on DOS: its bytes against the digest its signature carries.
#pragma once

namespace vq::dos {

// True for an unsigned file, for a signed one whose SHA-256 digest matches, and for a sound
// signature with a SHA-1 digest (not computed here: such a file runs as an unsigned one). False
// when the bytes changed, the table or signature cannot be read (a digest algorithm it does not
// know, or parameters the algorithm does not allow, included), or the file cannot be read.
bool DosSignedBytesMatch(const char* exePath);

}  // namespace vq::dos
