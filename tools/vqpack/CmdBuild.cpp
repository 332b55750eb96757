// vqpack build: appends a payload container made from files to an executable image.
#include <ctype.h>
#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "payload/PayloadFormat.h"
#include "payload/PayloadEntries.h"
#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/ContainerWriter.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/GzipMember.h"
#include "tools/vqpack/TimeText.h"

namespace vq {
namespace {

constexpr const char* kBuildUsage =
    "usage: vqpack build --image IMAGE --out FILE [--mtime TIME] [--raw N]... ENTRY...\n"
    "  Appends a payload container to IMAGE (the linked program; it becomes entry 0) and\n"
    "  writes the result to FILE, whole or not at all. One ENTRY per entry, entry 1 first,\n"
    "  at most 11:\n"
    "    PATH              the entry is made from the file PATH\n"
    "    PATH:NAME         ... and NAME is the file name stored in its gzip header\n"
    "    PATH:NAME:TIME    ... and TIME its modification time (PATH::TIME keeps the name)\n"
    "  A drive's colon (C:\\dir\\GZip.exe) is part of PATH.\n"
    "  Entries whose payload name ends in \".gz\" (3 to 11) are compressed with zlib at level 9\n"
    "  into one gzip member with FNAME = NAME (default: PATH's file name), MTIME = TIME\n"
    "  (default: --mtime, else 2012-01-01T00:00:00Z), XFL 2 and OS 11. Other entries are\n"
    "  stored byte for byte.\n"
    "  --raw N       store entry N byte for byte although its name ends in \".gz\" (a gzip\n"
    "                member made elsewhere); may be given more than once\n"
    "  --mtime TIME  MTIME of every compressed entry that names none itself\n"
    "  TIME is seconds since 1970-01-01 UTC or YYYY-MM-DDTHH:MM:SS[Z], always UTC, and not 0\n"
    "  (gzip's \"no time stored\").\n"
    "  The same inputs give the same bytes: nothing is taken from the clock.\n";

// Chosen once so that builds never depend on when or where they ran.
constexpr uint32_t kDefaultMtime = 1325376000;  // 2012-01-01T00:00:00Z

// gzip reads MTIME 0 as "no time stored", and every member of the payload carries one.
constexpr uint32_t kNoMtime = 0;

struct EntrySpec {
    std::string Path;
    std::string StoredName;  // empty: PATH's file name
    bool HasTime = false;    // false: the default MTIME
    std::string Time;
    bool Raw = false;
};

// A Windows path that starts with a drive ("C:\dir\GZip.exe") keeps that colon.
bool StartsWithDrive(const std::string& arg) {
    return arg.size() >= 3 && isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
           (arg[2] == '\\' || arg[2] == '/');
}

EntrySpec ParseEntry(const std::string& arg) {
    EntrySpec e;
    const size_t c1 = arg.find(':', StartsWithDrive(arg) ? 2 : 0);
    e.Path = arg.substr(0, c1);
    if (c1 == std::string::npos) return e;
    const size_t c2 = arg.find(':', c1 + 1);
    e.StoredName = arg.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
    // A time may hold colons itself (HH:MM:SS), so it is all that follows the second colon.
    if (c2 != std::string::npos) {
        e.HasTime = true;
        e.Time = arg.substr(c2 + 1);
    }
    return e;
}

bool ParseMtime(const std::string& text, uint32_t& mtime) {
    uint32_t t = 0;
    if (!ParseUtcTime(text, t) || t == kNoMtime) return false;
    mtime = t;
    return true;
}

bool ParseEntryNumber(const std::string& s, uint32_t& n) {
    if (s.empty() || s.size() > 2 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    n = static_cast<uint32_t>(std::stoul(s));
    return true;
}

// The bytes entry i stores: the file itself, or a gzip member made of it.
bool PackEntry(uint32_t i, const EntrySpec& entry, uint32_t defaultMtime, Bytes& out, std::string& err) {
    Bytes data;
    if (!ReadWholeFile(entry.Path, data, err)) return false;
    if (entry.Raw || !kPayloadEntries[i].Gzip) {
        out = std::move(data);
        return true;
    }
    uint32_t mtime = defaultMtime;
    if (entry.HasTime && !ParseMtime(entry.Time, mtime)) {
        err = "entry " + std::to_string(i) + ": '" + entry.Time + "' is not a time";
        return false;
    }
    const std::string name =
        entry.StoredName.empty() ? std::filesystem::path(entry.Path).filename().string() : entry.StoredName;
    if (name.empty()) {
        err = "entry " + std::to_string(i) + ": no file name to store for " + entry.Path;
        return false;
    }
    if (!MakeGzipMember(data.data(), data.size(), name, mtime, out, err)) {
        err = entry.Path + ": " + err;
        return false;
    }
    return true;
}

}  // namespace

int RunBuildCommand(int argc, char** argv) {
    std::string image, out, mtimeText;
    std::vector<uint32_t> raw;
    std::vector<EntrySpec> entries;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kBuildUsage, stdout);
            return kExitOk;
        }
        const bool takesValue = arg == "--image" || arg == "--out" || arg == "--mtime" || arg == "--raw";
        if (takesValue && i + 1 == argc) return UsageError(kBuildUsage, arg + " needs a value");
        if (arg == "--image" || arg == "--out" || arg == "--mtime") {
            std::string& slot = arg == "--image" ? image : arg == "--out" ? out : mtimeText;
            if (!slot.empty()) return UsageError(kBuildUsage, arg + " given twice");
            slot = argv[++i];
            if (slot.empty()) return UsageError(kBuildUsage, arg + " is empty");
        } else if (arg == "--raw") {
            uint32_t n = 0;
            if (!ParseEntryNumber(argv[++i], n) || n < 1 || n >= kPayloadEntryCount)
                return UsageError(kBuildUsage, std::string("--raw wants an entry number 1 to ") +
                                                   std::to_string(kPayloadEntryCount - 1));
            raw.push_back(n);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(kBuildUsage, "unknown option '" + arg + "'");
        } else {
            entries.push_back(ParseEntry(arg));
        }
    }
    if (image.empty()) return UsageError(kBuildUsage, "--image is needed");
    if (out.empty()) return UsageError(kBuildUsage, "--out is needed");
    if (entries.size() > kPayloadEntryCount - 1)
        return UsageError(kBuildUsage, "more than " + std::to_string(kPayloadEntryCount - 1) + " entries");
    uint32_t defaultMtime = kDefaultMtime;
    if (!mtimeText.empty() && !ParseMtime(mtimeText, defaultMtime))
        return UsageError(kBuildUsage, "--mtime '" + mtimeText + "' is not a time");
    for (uint32_t n : raw) {
        if (n > entries.size()) return UsageError(kBuildUsage, "--raw " + std::to_string(n) + ": no such entry");
        entries[n - 1].Raw = true;
    }
    for (size_t k = 0; k < entries.size(); ++k) {
        const EntrySpec& e = entries[k];
        const TPayloadEntryInfo& info = kPayloadEntries[k + 1];
        if (e.Path.empty()) return UsageError(kBuildUsage, "entry " + std::to_string(k + 1) + " has no PATH");
        if ((!e.StoredName.empty() || e.HasTime) && (e.Raw || !info.Gzip))
            return UsageError(kBuildUsage, "entry " + std::to_string(k + 1) + " (" + info.WinName +
                                               ") is stored byte for byte; NAME and TIME do not apply");
        uint32_t t = 0;
        if (e.HasTime && !ParseMtime(e.Time, t))
            return UsageError(kBuildUsage, "entry " + std::to_string(k + 1) + ": '" + e.Time + "' is not a time");
    }

    Bytes imageBytes;
    std::string err;
    if (!ReadWholeFile(image, imageBytes, err)) {
        fprintf(stderr, "vqpack build: %s\n", err.c_str());
        return kExitFailed;
    }
    // A container inside entry 0 would travel along as part of the "image".
    MemorySource src(imageBytes.data(), imageBytes.size());
    TContainerInfo info;
    if (ReadContainerHeader(src, static_cast<uint32_t>(imageBytes.size()), info) == ContainerError::None) {
        fprintf(stderr, "vqpack build: %s already carries a payload container; give the image as linked\n",
                image.c_str());
        return kExitFailed;
    }
    std::vector<Bytes> packed(entries.size());
    for (size_t k = 0; k < entries.size(); ++k) {
        if (!PackEntry(static_cast<uint32_t>(k + 1), entries[k], defaultMtime, packed[k], err)) {
            fprintf(stderr, "vqpack build: %s\n", err.c_str());
            return kExitFailed;
        }
    }
    Bytes container;
    if (!BuildContainer(imageBytes, packed, container, err) || !WriteFileAtomic(out, container, err)) {
        fprintf(stderr, "vqpack build: %s\n", err.c_str());
        return kExitFailed;
    }
    printf("%s: %zu bytes, %zu entries\n", out.c_str(), container.size(), entries.size() + 1);
    return kExitOk;
}

}  // namespace vq
