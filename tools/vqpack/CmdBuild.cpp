// vqpack build: appends a payload container made from files to an executable image.
#include <ctype.h>
#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "payload/FlashImageFormat.h"
#include "payload/PayloadEntries.h"
#include "payload/PayloadFormat.h"
#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/ContainerWriter.h"
#include "tools/vqpack/FileIo.h"
#include "tools/vqpack/GzipMember.h"
#include "tools/vqpack/Stub.h"
#include "tools/vqpack/TimeText.h"
#include "tools/vqpack/Verify.h"

namespace vq {
namespace {

constexpr const char* kBuild = "build";

constexpr const char* kBuildUsage =
    "usage: vqpack build --image IMAGE --out FILE [--mtime TIME] [--raw N]... [--separator C]\n"
    "                    [--force] ENTRY...\n"
    "  Appends a payload container to IMAGE (the linked program; it becomes entry 0) and\n"
    "  writes the result to FILE, whole or not at all. Exactly one ENTRY per entry, in this order:\n"
    "    1 GZip.exe  2 GZipW.exe  3 fparts.txt.gz  4 fpt.exe.gz  5 fptw.exe.gz  6 fptw64.exe.gz\n"
    "    7 idrvdll.dll.gz  8 idrvdll32e.dll.gz  9 pmxdll.dll.gz  10 pmxdll32e.dll.gz  11 Bios.bin.gz\n"
    "  An ENTRY is\n"
    "    PATH              the entry is made from the file PATH\n"
    "    PATH:NAME         ... and NAME is the file name stored in its gzip header\n"
    "    PATH:NAME:TIME    ... and TIME its modification time (PATH::TIME keeps the name)\n"
    "  A drive's colon (C:\\dir\\GZip.exe) is part of PATH. For a PATH with another ':' in it,\n"
    "  choose another separator: --separator '|' 'bios 10:00.bin|BIOS.bin'.\n"
    "  Entries whose payload name ends in \".gz\" (3 to 11) are compressed with zlib at level 9\n"
    "  into one gzip member with FNAME = NAME (default: PATH's file name; UTF-8, stored as\n"
    "  ISO 8859-1, so it may hold no other characters), MTIME = TIME (default: --mtime, else\n"
    "  2012-01-01T00:00:00Z), XFL 2 and OS 11. Other entries are stored byte for byte.\n"
    "  --raw N         store entry N byte for byte although its name ends in \".gz\" (a gzip\n"
    "                  member made elsewhere); may be given more than once\n"
    "  --mtime TIME    MTIME of every compressed entry that names none itself\n"
    "  --separator C   the one character between PATH, NAME and TIME (default ':')\n"
    "  --force         replace FILE even when it is read-only\n"
    "  TIME is seconds since 1970-01-01 UTC or YYYY-MM-DDTHH:MM:SS[Z], always UTC, and not 0\n"
    "  (gzip's \"no time stored\").\n"
    "  FILE is written only when vqpack verify would pass it, never over IMAGE or an ENTRY's\n"
    "  file, and the same inputs give the same bytes: nothing is taken from the clock.\n";

// Chosen once so that builds never depend on when or where they ran.
constexpr uint32_t kDefaultMtime = 1325376000;  // 2012-01-01T00:00:00Z

// gzip reads MTIME 0 as "no time stored", and every member of the payload carries one.
constexpr uint32_t kNoMtime = 0;

constexpr char kDefaultSeparator = ':';

struct EntrySpec {
    std::string Arg;         // as given, for messages
    std::string Path;
    std::string StoredName;  // empty: PATH's file name
    bool HasTime = false;    // false: the default MTIME
    std::string Time;
    bool Raw = false;
    std::string Fname;       // the stored name in ISO 8859-1, once checked
    uint32_t Mtime = 0;
};

// A Windows path that starts with a drive ("C:\dir\GZip.exe") keeps that colon.
bool StartsWithDrive(const std::string& arg) {
    return arg.size() >= 3 && isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':' &&
           (arg[2] == '\\' || arg[2] == '/');
}

EntrySpec ParseEntry(const std::string& arg, char sep) {
    EntrySpec e;
    e.Arg = arg;
    const size_t c1 = arg.find(sep, sep == ':' && StartsWithDrive(arg) ? 2 : 0);
    e.Path = arg.substr(0, c1);
    if (c1 == std::string::npos) return e;
    const size_t c2 = arg.find(sep, c1 + 1);
    e.StoredName = arg.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
    // A time may hold colons itself (HH:MM:SS), so it is all that follows the second separator.
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

std::string EntryLabel(uint32_t i) { return "entry " + std::to_string(i) + " (" + kPayloadFileNames[i] + ")"; }

// The entries the table names and the command line left out, or the arguments beyond them.
std::string CountProblem(const std::vector<EntrySpec>& entries) {
    constexpr size_t kNeeded = kPayloadEntryCount - 1;
    std::string text = CountOf(entries.size(), "entry", "entries") + " given, but the payload takes exactly " +
                       std::to_string(kNeeded) + ", in order; ";
    if (entries.size() < kNeeded) {
        text += "missing:";
        for (size_t i = entries.size() + 1; i < kPayloadEntryCount; ++i)
            text.append(" ").append(std::to_string(i)).append(" ").append(kPayloadFileNames[i]);
    } else {
        text += "extra:";
        for (size_t k = kNeeded; k < entries.size(); ++k) text.append(" '").append(entries[k].Arg).append("'");
    }
    return text;
}

// The bytes entry i stores: the file itself, or a gzip member made of it.
bool PackEntry(uint32_t i, const EntrySpec& entry, Bytes& out, std::string& err) {
    Bytes data;
    if (!ReadWholeFile(entry.Path, data, err)) return false;
    if (entry.Raw || !kPayloadEntries[i].Gzip) {
        out = std::move(data);
        return true;
    }
    if (!MakeGzipMember(data.data(), data.size(), entry.Fname, entry.Mtime, out, err)) {
        err = entry.Path + ": " + err;
        return false;
    }
    return true;
}

}  // namespace

int RunBuildCommand(int argc, char** argv) {
    std::string image, out, mtimeText, separator;
    std::vector<uint32_t> raw;
    std::vector<std::string> entryArgs;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsHelp(argv[i])) {
            fputs(kBuildUsage, stdout);
            return kExitOk;
        }
        const bool takesValue =
            arg == "--image" || arg == "--out" || arg == "--mtime" || arg == "--raw" || arg == "--separator";
        if (takesValue && i + 1 == argc) return UsageError(kBuild, arg + " needs a value");
        if (arg == "--image" || arg == "--out" || arg == "--mtime" || arg == "--separator") {
            std::string& slot = arg == "--image" ? image : arg == "--out" ? out : arg == "--mtime" ? mtimeText : separator;
            if (!slot.empty()) return UsageError(kBuild, arg + " given twice");
            slot = argv[++i];
            if (slot.empty()) return UsageError(kBuild, arg + " is empty");
        } else if (arg == "--raw") {
            uint32_t n = 0;
            if (!ParseEntryNumber(argv[++i], n) || n < 1 || n >= kPayloadEntryCount)
                return UsageError(kBuild, std::string("--raw wants an entry number 1 to ") +
                                              std::to_string(kPayloadEntryCount - 1));
            raw.push_back(n);
        } else if (arg == "--force") {
            force = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(kBuild, "unknown option '" + arg + "'");
        } else {
            entryArgs.push_back(arg);
        }
    }
    if (image.empty()) return UsageError(kBuild, "--image is needed");
    if (out.empty()) return UsageError(kBuild, "--out is needed");
    if (separator.size() > 1) return UsageError(kBuild, "--separator wants one character");
    const char sep = separator.empty() ? kDefaultSeparator : separator[0];
    std::vector<EntrySpec> entries;
    for (const std::string& arg : entryArgs) entries.push_back(ParseEntry(arg, sep));
    if (entries.size() != kPayloadEntryCount - 1) return UsageError(kBuild, CountProblem(entries));
    uint32_t defaultMtime = kDefaultMtime;
    if (!mtimeText.empty() && !ParseMtime(mtimeText, defaultMtime))
        return UsageError(kBuild, "--mtime '" + mtimeText + "' is not a time");
    for (uint32_t n : raw) entries[n - 1].Raw = true;
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i) {
        EntrySpec& e = entries[i - 1];
        const TPayloadEntryInfo& info = kPayloadEntries[i];
        if (e.Path.empty()) return UsageError(kBuild, EntryLabel(i) + " has no PATH");
        if ((!e.StoredName.empty() || e.HasTime) && (e.Raw || !info.Gzip))
            return UsageError(kBuild, EntryLabel(i) + " is stored byte for byte; NAME and TIME do not apply");
        if (e.Raw || !info.Gzip) continue;
        e.Mtime = defaultMtime;
        if (e.HasTime && !ParseMtime(e.Time, e.Mtime))
            return UsageError(kBuild, EntryLabel(i) + ": '" + e.Time + "' is not a time");
        const std::string name =
            e.StoredName.empty() ? std::filesystem::path(e.Path).filename().string() : e.StoredName;
        if (name.empty()) return UsageError(kBuild, EntryLabel(i) + ": no file name to store for " + e.Path);
        std::string err;
        if (!StoredNameFromUtf8(name, e.Fname, err)) return UsageError(kBuild, EntryLabel(i) + ": " + err);
    }

    // Everything the file system can tell is checked before a byte is read.
    std::vector<InputFile> inputs(kPayloadEntryCount);
    std::string err;
    if (!StatInput(image, inputs[kEntryImage], err)) return Failed(kBuild, err);
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i) {
        const EntrySpec& e = entries[i - 1];
        if (StatInput(e.Path, inputs[i], err)) continue;
        InputFile whole;
        std::string ignored;
        if (e.Path != e.Arg && StatInput(e.Arg, whole, ignored))
            err = e.Path + " does not exist, but " + e.Arg + " does: for a PATH with '" + sep +
                  "' in it, give --separator and a character it does not hold";
        return Failed(kBuild, err);
    }
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i)
        for (uint32_t k = 1; k < i; ++k)
            if (inputs[k].Id == inputs[i].Id)
                return UsageError(kBuild, inputs[k].Path + " for " + EntryLabel(k) + " and " + inputs[i].Path +
                                              " for " + EntryLabel(i) + " are one file; each entry is a file of its own");
    if (!CheckOutput(out, inputs, force, err)) return Failed(kBuild, err);
    const EntrySpec& flash = entries[kEntryFlashImage - 1];
    if (!flash.Raw && inputs[kEntryFlashImage].Size != kFlashImageSize)
        return Failed(kBuild, flash.Path + ": " + CountOf(inputs[kEntryFlashImage].Size, "byte", "bytes") +
                                  ", but the flash image is " + std::to_string(kFlashImageSize));
    // What is stored as it is counts in full; a member made here at least as deflate's best
    // ratio leaves it, with its header and trailer.
    uint64_t least = uint64_t(inputs[kEntryImage].Size) + kHeaderSize + kTrailerSize;
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i) {
        const EntrySpec& e = entries[i - 1];
        least += kRecordSize + (e.Raw || !kPayloadEntries[i].Gzip
                                    ? inputs[i].Size
                                    : kGzipFixedHeaderSize + e.Fname.size() + 1 + inputs[i].Size / kDeflateBestRatio +
                                          kGzipTrailerSize);
    }
    if (least > kMaxFileSize)
        return Failed(kBuild, "the inputs make at least " + std::to_string(least) + " bytes; 2 GiB is the limit");

    Bytes imageBytes;
    if (!ReadWholeFile(image, imageBytes, err)) return Failed(kBuild, err);
    if (!CheckLinkedImage(imageBytes, err)) return Failed(kBuild, image + ": " + err);
    std::vector<Bytes> packed(kPayloadEntryCount - 1);
    for (uint32_t i = 1; i < kPayloadEntryCount; ++i)
        if (!PackEntry(i, entries[i - 1], packed[i - 1], err)) return Failed(kBuild, err);
    Bytes container;
    if (!BuildContainer(imageBytes, packed, container, err)) return Failed(kBuild, err);
    // The rules vqpack verify applies, so that no file leaves here that it would refuse.
    const std::vector<std::string> problems = VerifyContainer(container);
    for (const std::string& p : problems) Failed(kBuild, p);
    if (!problems.empty()) return Failed(kBuild, out + ": not written");
    if (!WriteFileAtomic(out, container, err)) return Failed(kBuild, err);
    printf("%s: %zu bytes, %s\n", out.c_str(), container.size(),
           CountOf(kPayloadEntryCount, "entry", "entries").c_str());
    return kExitOk;
}

}  // namespace vq
