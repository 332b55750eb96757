// vqpack list: the container's entries as a table or as JSON.
#include <stdio.h>
#include <string.h>

#include <string>

#include "payload/PayloadEntries.h"
#include "tools/vqpack/CommandLine.h"
#include "tools/vqpack/Commands.h"
#include "tools/vqpack/ContainerView.h"
#include "tools/vqpack/GzipMember.h"
#include "tools/vqpack/TimeText.h"

namespace vq {
namespace {

constexpr const char* kList = "list";

constexpr const char* kListUsage =
    "usage: vqpack list FILE [--json]\n"
    "  Shows the image size C, the entry count and each entry's number, name, Offset and\n"
    "  Length; for gzip members also the stored name, MTIME (UTC), CRC32 and unpacked size;\n"
    "  for a signed file the certificate table's offset and size.\n";

constexpr const char* kUnnamed = "(unnamed)";

struct GzipSummary {
    bool Present = false;
    GzipHeader Header;
    uint32_t Crc32 = 0;
    uint32_t Isize = 0;
};

// Header fields and the trailer at the end of the entry; list does not decompress.
GzipSummary Summarise(const uint8_t* data, size_t size) {
    GzipSummary s;
    if (!ParseGzipHeader(data, size, s.Header) || size - s.Header.Size < kGzipTrailerSize) return s;
    s.Present = true;
    s.Crc32 = ReadLE32(data + size - kGzipTrailerSize);
    s.Isize = ReadLE32(data + size - 4);
    return s;
}

const char* EntryName(uint32_t i) { return i < kPayloadEntryCount ? kPayloadFileNames[i] : kUnnamed; }

// Names inside the members are ISO 8859-1 text from whoever made them: both outputs show them
// in UTF-8, with quotes, backslashes and control characters (C0, DEL and C1) escaped as JSON
// escapes them, so nothing in a name reaches the terminal raw.
std::string EscapeText(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c >= 0xA0) {
            out += char(0xC0 | c >> 6);  // U+00A0 .. U+00FF in two UTF-8 bytes
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(c);
        }
    }
    return out;
}

// text padded to width columns; a UTF-8 character takes one however many bytes it has.
std::string PadRight(std::string text, size_t width) {
    size_t columns = 0;
    for (unsigned char c : text) columns += (c & 0xC0) != 0x80;
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    out += EscapeText(s);
    out += '"';
    return out;
}

void PrintJson(const std::string& path, const Bytes& file, const ContainerView& v) {
    printf("{\"file\": %s, \"fileSize\": %zu, \"imageSize\": %u, \"totalSize\": %u, \"entryCount\": %u,\n",
           JsonString(path).c_str(), file.size(), v.Info.ImageSize, v.Info.Header.TotalSize,
           v.Info.Header.EntryCount);
    if (v.Info.Cert.Size != 0)
        printf(" \"certificateTable\": {\"offset\": %u, \"size\": %u},\n", v.Info.Cert.Offset, v.Info.Cert.Size);
    printf(" \"entries\": [");
    for (uint32_t i = 0; i < v.Extents.size(); ++i) {
        const TPayloadEntry& e = v.Extents[i];
        printf("%s\n  {\"index\": %u, \"name\": %s, \"offset\": %u, \"length\": %u", i ? "," : "", i,
               i < kPayloadEntryCount ? JsonString(EntryName(i)).c_str() : "null", e.Offset, e.Length);
        const GzipSummary g = i ? Summarise(file.data() + e.Offset, e.Length) : GzipSummary{};
        if (g.Present) {
            printf(", \"gzip\": {\"storedName\": %s, \"mtime\": \"%s\", \"mtimeSeconds\": %u, "
                   "\"crc32\": %u, \"isize\": %u}",
                   g.Header.HasName ? JsonString(g.Header.Name).c_str() : "null",
                   FormatUtcTime(g.Header.Mtime).c_str(), g.Header.Mtime, g.Crc32, g.Isize);
        }
        printf("}");
    }
    printf("\n ]}\n");
}

void PrintTable(const std::string& path, const Bytes& file, const ContainerView& v) {
    printf("%s\n", path.c_str());
    printf("image size C  %u (0x%X)\n", v.Info.ImageSize, v.Info.ImageSize);
    printf("file size     %zu (TotalSize %u)\n", file.size(), v.Info.Header.TotalSize);
    if (v.Info.Cert.Size != 0)
        printf("signed        certificate table at %u, %u bytes\n", v.Info.Cert.Offset, v.Info.Cert.Size);
    printf("entries       %u\n\n", v.Info.Header.EntryCount);
    printf("%3s  %-18s %10s %10s  %-15s %-20s %-8s %10s\n", "#", "name", "offset", "length",
           "stored name", "mtime (UTC)", "crc32", "unpacked");
    for (uint32_t i = 0; i < v.Extents.size(); ++i) {
        const TPayloadEntry& e = v.Extents[i];
        printf("%3u  %-18s %10u %10u", i, EntryName(i), e.Offset, e.Length);
        const GzipSummary g = i ? Summarise(file.data() + e.Offset, e.Length) : GzipSummary{};
        if (g.Present)
            printf("  %s %-20s %08x %10u", PadRight(g.Header.HasName ? EscapeText(g.Header.Name) : "-", 15).c_str(),
                   FormatUtcTime(g.Header.Mtime).c_str(), g.Crc32, g.Isize);
        printf("\n");
    }
}

}  // namespace

int RunListCommand(int argc, char** argv) {
    std::string path;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            fputs(kListUsage, stdout);
            return kExitOk;
        }
        if (strcmp(argv[i], "--json") == 0)
            json = true;
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return UsageError(kList, std::string("unknown option '") + argv[i] + "'");
        else if (path.empty())
            path = argv[i];
        else
            return UsageError(kList, "more than one FILE given");
    }
    if (path.empty()) return UsageError(kList, "no FILE given");

    Bytes file;
    ContainerView view;
    std::string err;
    if (!LoadContainerFile(path, file, view, err)) return Failed(kList, err);
    if (json)
        PrintJson(path, file, view);
    else
        PrintTable(path, file, view);
    return kExitOk;
}

}  // namespace vq
