// Whether a signed executable's bytes are still the bytes that were signed.
#pragma once

#include <windows.h>

namespace vq {

// True for a file without a certificate table. For one with a table, true when WinVerifyTrust
// (wintrust.dll from the system directory, no UI, no network) finds the signature well formed
// and its digest matching the file read through `exe`; whether the signer is trusted is not
// asked here. False when the digest differs, the signature is malformed, or the check cannot
// be made.
bool SignedBytesMatch(HANDLE exe);

}  // namespace vq
