// gzip MTIME values as UTC text and back, without the C library's time zone machinery.
#include "tools/vqpack/TimeText.h"

#include <stdio.h>

namespace vq {
namespace {

inline constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

bool ParseDigits(const std::string& s, size_t pos, size_t count, unsigned& value) {
    if (pos + count > s.size()) return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + unsigned(s[i] - '0');
    }
    return true;
}

unsigned DaysInMonth(int64_t y, unsigned m) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

std::string FormatUtcTime(uint32_t secondsSince1970) {
    const int64_t days = secondsSince1970 / kSecondsPerDay;
    const unsigned rest = static_cast<unsigned>(secondsSince1970 % kSecondsPerDay);
    int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    char buf[32];
    snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(y), m, d,
             rest / 3600, rest / 60 % 60, rest % 60);
    return buf;
}

bool ParseUtcTime(const std::string& text, uint32_t& secondsSince1970) {
    if (text.empty()) return false;
    if (text.find_first_not_of("0123456789") == std::string::npos) {
        if (text.size() > 10) return false;
        const uint64_t v = std::stoull(text);
        if (v > UINT32_MAX) return false;
        secondsSince1970 = static_cast<uint32_t>(v);
        return true;
    }
    // YYYY-MM-DDTHH:MM:SS[Z]
    unsigned y, mo, d, h, mi, s;
    if (text.size() != 19 && !(text.size() == 20 && text[19] == 'Z')) return false;
    if (!ParseDigits(text, 0, 4, y) || text[4] != '-' || !ParseDigits(text, 5, 2, mo) ||
        text[7] != '-' || !ParseDigits(text, 8, 2, d) || text[10] != 'T' ||
        !ParseDigits(text, 11, 2, h) || text[13] != ':' || !ParseDigits(text, 14, 2, mi) ||
        text[16] != ':' || !ParseDigits(text, 17, 2, s))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59)
        return false;
    const int64_t t = DaysFromCivil(y, mo, d) * kSecondsPerDay + h * 3600 + mi * 60 + s;
    if (t < 0 || t > int64_t(UINT32_MAX)) return false;
    secondsSince1970 = static_cast<uint32_t>(t);
    return true;
}

}  // namespace vq
