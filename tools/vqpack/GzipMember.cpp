// The gzip members the payload carries: making them with zlib, reading their header, checking them.
#include "tools/vqpack/GzipMember.h"

#include <stdio.h>
#include <zlib.h>

#include "payload/PayloadFormat.h"

namespace vq {
namespace {

inline constexpr uint8_t kFlagHeaderCrc = 0x02;
inline constexpr uint8_t kFlagExtra = 0x04;
inline constexpr uint8_t kFlagComment = 0x10;
inline constexpr int kGzipWindowBits = 15 + 16;  // zlib: 32 KiB window, gzip wrapper
inline constexpr int kRawWindowBits = -15;       // zlib: raw deflate, we read the wrapper
inline constexpr size_t kInflateChunk = 64 * 1024;

std::string Hex(uint32_t v, int digits) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s = "0x";
    for (int i = digits - 1; i >= 0; --i) s += kDigits[(v >> (4 * i)) & 0xF];
    return s;
}

// Skips a zero-terminated field; false when no zero ends it.
bool SkipZeroTerminated(const uint8_t* data, size_t size, size_t& pos, std::string* text) {
    const size_t start = pos;
    while (pos < size && data[pos] != 0) ++pos;
    if (pos == size) return false;
    if (text) text->assign(reinterpret_cast<const char*>(data + start), pos - start);
    ++pos;
    return true;
}

}  // namespace

bool ParseGzipHeader(const uint8_t* data, size_t size, GzipHeader& out) {
    if (size < kGzipFixedHeaderSize || data[0] != kGzipId1 || data[1] != kGzipId2) return false;
    out = GzipHeader{};
    out.Method = data[2];
    out.Flags = data[3];
    out.Mtime = ReadLE32(data + 4);
    out.ExtraFlags = data[8];
    out.Os = data[9];
    size_t pos = kGzipFixedHeaderSize;
    if (out.Flags & kFlagExtra) {
        if (size - pos < 2) return false;
        const size_t extraLen = size_t(data[pos]) | size_t(data[pos + 1]) << 8;
        pos += 2;
        if (size - pos < extraLen) return false;
        pos += extraLen;
    }
    if (out.Flags & kGzipFlagName) {
        out.HasName = true;
        if (!SkipZeroTerminated(data, size, pos, &out.Name)) return false;
    }
    if ((out.Flags & kFlagComment) && !SkipZeroTerminated(data, size, pos, nullptr)) return false;
    if (out.Flags & kFlagHeaderCrc) {
        if (size - pos < 2) return false;
        pos += 2;
    }
    out.Size = pos;
    return true;
}

bool InflateGzipMember(const uint8_t* data, size_t size, const GzipHeader& header,
                       GzipContents& out, std::string& err) {
    out = GzipContents{};
    if (header.Size > size || size - header.Size > kMaxFileSize) {
        err = "member is larger than any payload entry";
        return false;
    }
    z_stream zs{};
    if (inflateInit2(&zs, kRawWindowBits) != Z_OK) {
        err = "zlib could not start inflating";
        return false;
    }
    zs.next_in = const_cast<Bytef*>(data + header.Size);
    zs.avail_in = static_cast<uInt>(size - header.Size);
    uLong crc = crc32(0, nullptr, 0);
    Bytes chunk(kInflateChunk);
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = chunk.data();
        zs.avail_out = static_cast<uInt>(chunk.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        const size_t produced = chunk.size() - zs.avail_out;
        crc = crc32(crc, chunk.data(), static_cast<uInt>(produced));
        for (size_t i = 0; i < produced && out.PrefixSize < kGzipPrefixSize; ++i)
            out.Prefix[out.PrefixSize++] = chunk[i];
        out.Size += produced;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_OK) continue;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            err = "deflate data ends before its last block";
        else
            err = std::string("deflate data is corrupt") + (zs.msg ? std::string(": ") + zs.msg : "");
        inflateEnd(&zs);
        return false;
    }
    const size_t consumed = header.Size + (size - header.Size - zs.avail_in);
    inflateEnd(&zs);
    out.Crc32 = static_cast<uint32_t>(crc);
    if (size - consumed < kGzipTrailerSize) {
        err = "member ends before its CRC32 and ISIZE trailer";
        return false;
    }
    out.StoredCrc32 = ReadLE32(data + consumed);
    out.StoredIsize = ReadLE32(data + consumed + 4);
    out.MemberSize = consumed + kGzipTrailerSize;
    return true;
}

std::vector<std::string> CheckGzipMember(const uint8_t* data, size_t size, GzipContents& contents) {
    std::vector<std::string> problems;
    GzipHeader h;
    if (!ParseGzipHeader(data, size, h)) {
        problems.push_back(size >= 2 && data[0] == kGzipId1 && data[1] == kGzipId2
                               ? "gzip header ends early"
                               : "not a gzip member (no 1f 8b magic)");
        return problems;
    }
    if (h.Method != kGzipMethodDeflate)
        problems.push_back("compression method CM is " + std::to_string(h.Method) + ", not 8 (deflate)");
    if (h.Flags != kGzipFlagName)
        problems.push_back("header flags FLG are " + Hex(h.Flags, 2) + ", not 0x08 (FNAME only)");
    if (h.ExtraFlags != kGzipXflMaximum)
        problems.push_back("extra flags XFL are " + std::to_string(h.ExtraFlags) + ", not 2");
    if (h.Os != kGzipOsNtfs)
        problems.push_back("operating system OS is " + std::to_string(h.Os) + ", not 11 (NTFS)");
    if (!h.HasName) problems.push_back("no stored file name FNAME");
    if (h.HasName && h.Name.empty()) problems.push_back("stored file name FNAME is empty");
    if (h.Mtime == 0) problems.push_back("modification time MTIME is 0 (none stored)");
    if (h.Method != kGzipMethodDeflate) return problems;

    std::string err;
    if (!InflateGzipMember(data, size, h, contents, err)) {
        problems.push_back(err);
        return problems;
    }
    if (contents.StoredCrc32 != contents.Crc32)
        problems.push_back("CRC32 is " + Hex(contents.StoredCrc32, 8) + " but the data's is " +
                           Hex(contents.Crc32, 8));
    if (contents.StoredIsize != static_cast<uint32_t>(contents.Size))
        problems.push_back("ISIZE is " + std::to_string(contents.StoredIsize) + " but the data unpacks to " +
                           std::to_string(contents.Size) + " bytes");
    if (contents.MemberSize != size)
        problems.push_back(std::to_string(size - contents.MemberSize) +
                           " bytes follow the gzip member");
    return problems;
}

bool StoredNameFromUtf8(const std::string& utf8, std::string& latin1, std::string& err) {
    latin1.clear();
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t b = uint8_t(utf8[i]);
        // One byte for ASCII, two (110xxxxx 10xxxxxx) for every other code point up to U+00FF.
        uint32_t cp = b;
        size_t len = 1;
        if (b >= 0x80) {
            len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
            bool sound = len != 0 && len <= utf8.size() - i;
            cp = len == 2 ? b & 0x1Fu : len == 3 ? b & 0x0Fu : b & 0x07u;
            for (size_t k = 1; sound && k < len; ++k) {
                const uint8_t c = uint8_t(utf8[i + k]);
                sound = (c & 0xC0) == 0x80;
                cp = cp << 6 | (c & 0x3Fu);
            }
            static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // shorter forms are not UTF-8
            if (!sound || b > 0xF4 || cp < kLeast[len]) {
                err = "'" + utf8 + "' is not UTF-8 text";
                return false;
            }
            if (cp > 0xFF) {
                char code[32];
                snprintf(code, sizeof code, "' (U+%04X) in '", unsigned(cp));
                err.assign(1, '\'').append(utf8, i, len).append(code).append(utf8);
                err += "' has no ISO 8859-1 form, which gzip stores names in; give another NAME";
                return false;
            }
        }
        latin1 += char(cp);
        i += len;
    }
    return true;
}

bool MakeGzipMember(const uint8_t* data, size_t size, const std::string& storedName,
                    uint32_t mtime, Bytes& out, std::string& err) {
    if (size > kMaxFileSize) {
        err = "data is 2 GiB or larger";
        return false;
    }
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        err = "zlib could not start deflating";
        return false;
    }
    std::string name = storedName;  // zlib wants a writable pointer
    gz_header gh{};
    gh.time = mtime;
    gh.xflags = kGzipXflMaximum;  // zlib derives XFL from the level itself; level 9 gives 2
    gh.os = kGzipOsNtfs;
    gh.name = reinterpret_cast<Bytef*>(name.data());
    if (deflateSetHeader(&zs, &gh) != Z_OK) {
        deflateEnd(&zs);
        err = "zlib refused the gzip header";
        return false;
    }
    // Room for the header fields deflateBound may not count.
    out.resize(deflateBound(&zs, static_cast<uLong>(size)) + name.size() + 64);
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const size_t produced = out.size() - zs.avail_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        err = "zlib could not compress the data";
        return false;
    }
    out.resize(produced);
    return true;
}

}  // namespace vq
