// Where the DOS program's files lie and what they are called.
#include "dos/DosWorkFiles.h"

#include "dos/rt/Files.h"
#include "dos/rt/Path.h"
#include "dos/rt/Str.h"
#include "payload/PayloadEntries.h"

namespace vq::dos {

bool FormWorkDirPath(const char* startDir, char (&out)[kPathBytes]) {
    if (!rt::JoinPath(out, kPathBytes, startDir, kWorkDirName)) return false;
    const uint32_t n = rt::StrLen(out);
    return n <= kDosLongestDirChars && n + 1 + kDosLongestNameChars < kPathBytes;
}

void FormEntryName(uint32_t i, char (&out)[kEntryNameBytes]) {
    char digits[11];
    rt::StrCopy(out, sizeof out, vq::kDosEntryNamePrefix);
    rt::StrAppend(out, sizeof out, rt::FormatUnsigned(i, digits));
}

void FormGzipEntryName(uint32_t i, char (&out)[kGzipEntryNameBytes]) {
    char name[kEntryNameBytes];
    FormEntryName(i, name);
    rt::StrCopy(out, sizeof out, name);
    rt::StrAppend(out, sizeof out, kGzipSuffix);
}

bool FormEntryPath(const char* dir, uint32_t i, char (&out)[kPathBytes]) {
    char name[kEntryNameBytes];
    FormEntryName(i, name);
    return rt::JoinPath(out, kPathBytes, dir, name);
}

bool IsOwnWorkFileName(const char* listed) {
    // A search on a FAT disk in DOSBox lists a name without an extension with a dot after it
    // ("VQEXT_0."), which names the same file: compare without it.
    char name[kDosLongestNameChars + 1];
    if (!rt::StrCopy(name, sizeof name, listed)) return false;  // longer than any 8.3 name
    const uint32_t n = rt::StrLen(name);
    if (n != 0 && name[n - 1] == '.') name[n - 1] = '\0';
    for (uint32_t i = 0; i < vq::kPayloadEntryCount; ++i) {
        const vq::TPayloadEntryInfo& entry = vq::kPayloadEntries[i];
        char numbered[kEntryNameBytes];
        FormEntryName(i, numbered);
        if (rt::StrEqualNoCase(name, numbered)) return true;
        char gz[kGzipEntryNameBytes];
        FormGzipEntryName(i, gz);
        if (entry.DosInflate && rt::StrEqualNoCase(name, gz)) return true;
        if (entry.DosName != nullptr && rt::StrEqualNoCase(name, entry.DosName)) return true;
    }
    return rt::StrEqualNoCase(name, vq::kToolOutputName) || rt::StrEqualNoCase(name, kErrorLogName);
}

bool LeftoverEntryMayBeDeleted(uint8_t attr, const char* name) {
    if ((attr & (rt::kAttrHidden | rt::kAttrSystem | rt::kAttrDirectory)) != 0) return false;
    return (attr & rt::kAttrReadOnly) == 0 || IsOwnWorkFileName(name);
}

}  // namespace vq::dos
