// gzip MTIME values as UTC text and back, without the C library's time zone machinery.
#pragma once

#include <stdint.h>

#include <string>

namespace vq {

// "2012-02-07T08:44:58Z"
std::string FormatUtcTime(uint32_t secondsSince1970);

// Accepts seconds since 1970-01-01 UTC ("1328604298") or "YYYY-MM-DDTHH:MM:SS" with an
// optional trailing "Z" (always UTC). False for anything else or a time MTIME cannot hold.
bool ParseUtcTime(const std::string& text, uint32_t& secondsSince1970);

}  // namespace vq
