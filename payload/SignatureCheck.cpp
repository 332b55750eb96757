// SignedBytesMatch: WinVerifyTrust on the held executable, judged on its bytes alone.
#include "payload/SignatureCheck.h"

#include <softpub.h>
#include <wintrust.h>

#include <string>

#include "base/ProcessInfo.h"
#include "base/SystemCalls.h"
#include "payload/FileSource.h"
#include "payload/PayloadFormat.h"

namespace vq {
namespace {

// Verdicts about the signer's chain, given only once the digest has matched: the bytes are
// the ones signed, and trusting the publisher is Windows' question at the elevation prompt.
// Every other verdict (a differing digest, a malformed or missing signature in a file that
// carries a table, a failure to check) refuses.
constexpr LONG kChainVerdicts[] = {
    LONG(0x800B0101),  // CERT_E_EXPIRED
    LONG(0x800B0102),  // CERT_E_VALIDITYPERIODNESTING
    LONG(0x800B0104),  // CERT_E_PATHLENCONST
    LONG(0x800B0105),  // CERT_E_CRITICAL
    LONG(0x800B0106),  // CERT_E_PURPOSE
    LONG(0x800B0107),  // CERT_E_ISSUERCHAINING
    LONG(0x800B0109),  // CERT_E_UNTRUSTEDROOT
    LONG(0x800B010A),  // CERT_E_CHAINING
    LONG(0x800B010C),  // CERT_E_REVOKED
    LONG(0x800B010D),  // CERT_E_UNTRUSTEDTESTROOT
    LONG(0x800B010E),  // CERT_E_REVOCATION_FAILURE
    LONG(0x800B0110),  // CERT_E_WRONG_USAGE
    LONG(0x800B0111),  // TRUST_E_EXPLICIT_DISTRUST
    LONG(0x800B0112),  // CERT_E_UNTRUSTEDCA
    LONG(0x80092010),  // CRYPT_E_REVOKED
    LONG(0x80092012),  // CRYPT_E_NO_REVOCATION_CHECK
    LONG(0x80092013),  // CRYPT_E_REVOCATION_OFFLINE
    LONG(0x80096019),  // TRUST_E_BASIC_CONSTRAINTS
    LONG(0x8009601E),  // TRUST_E_FINANCIAL_CRITERIA
    LONG(0x80096005),  // TRUST_E_TIME_STAMP
};

bool BytesMatch(LONG verdict) {
    if (verdict == 0) return true;
    for (LONG v : kChainVerdicts)
        if (v == verdict) return true;
    return false;
}

bool HasCertTable(HANDLE exe) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(exe, &size) || size.QuadPart > kMaxFileSize) return true;  // let the check decide
    FileSource src(exe);
    return ReadCertTableEntry(src, uint32_t(size.QuadPart)).Size != 0;
}

}  // namespace

bool SignedBytesMatch(HANDLE exe) {
    if (!HasCertTable(exe)) return true;
    const WinVerifyTrustFn verify = LookUpWinVerifyTrust();
    if (!verify) return false;
    // WinVerifyTrust reads through the handle; the path only names the file in its records.
    const std::wstring path = RunningExePath();
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    file.hFile = exe;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG verdict = verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return BytesMatch(verdict);
}

}  // namespace vq
