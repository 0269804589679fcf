// Calendar arithmetic on day numbers (proleptic Gregorian), so that no
// conversion depends on the machine's time zone except through the bias the
// caller passes in.
#include "archive/dates.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace ov {

namespace {

// Days from 1970-01-01 to y-m-d (the well-known era-based civil algorithm).
int64_t daysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t dateTimeEpochDays = -25569;

int daysInMonth(int year, int month)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

TDateTime encodeDateTime(const CivilTime& c)
{
    const int64_t days = daysFromCivil(c.year, c.month, c.day) - dateTimeEpochDays;
    return static_cast<double>(days) + (c.hour * 3600 + c.minute * 60 + c.second) / 86400.0;
}

CivilTime decodeDateTime(TDateTime value)
{
    // Day numbers far outside any archive's range (fuzzed input) would
    // overflow the integer arithmetic below.
    if (!std::isfinite(value) || value < -700000.0 || value > 3000000.0)
        value = dosEpoch();
    // Round to the second first so that 23:59:59.9999 does not print as :59
    // of the wrong day.
    const double seconds = std::floor(value * 86400.0 + 0.5);
    const int64_t total = static_cast<int64_t>(seconds);
    int64_t days = total / 86400;
    int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CivilTime c;
    civilFromDays(days + dateTimeEpochDays, c.year, c.month, c.day);
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest / 60 % 60);
    c.second = static_cast<int>(rest % 60);
    return c;
}

TDateTime dosEpoch()
{
    return encodeDateTime(CivilTime {});
}

TDateTime dosDateTimeToDateTime(uint32_t dosDateTime)
{
    CivilTime c;
    const uint32_t date = dosDateTime >> 16;
    const uint32_t time = dosDateTime & 0xFFFF;
    c.year = 1980 + static_cast<int>(date >> 9);
    c.month = static_cast<int>((date >> 5) & 0x0F);
    c.day = static_cast<int>(date & 0x1F);
    c.hour = static_cast<int>(time >> 11);
    c.minute = static_cast<int>((time >> 5) & 0x3F);
    c.second = static_cast<int>(time & 0x1F) * 2;
    if (dosDateTime == 0 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > daysInMonth(c.year, c.month)
        || c.hour > 23 || c.minute > 59 || c.second > 59)
        return dosEpoch();
    return encodeDateTime(c);
}

TDateTime unixTimeToDateTime(int64_t unixTime, int32_t bias)
{
    if (unixTime == 0)
        return encodeDateTime(CivilTime { 1980, 1, 1, 0, 1, 0 });
    const int64_t biasSeconds = (bias >= -12 && bias <= 12) ? int64_t(bias) * 3600 : int64_t(bias) * 60;
    const int64_t local = unixTime - biasSeconds;
    return static_cast<double>(local) / 86400.0 - static_cast<double>(dateTimeEpochDays);
}

int32_t systemTimeZoneBias(int64_t unixTime)
{
    const std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local {};
    if (!localtime_r(&t, &local))
        return 0;
    return static_cast<int32_t>(-local.tm_gmtoff / 60);
}

std::string formatDateTime(TDateTime value)
{
    const CivilTime c = decodeDateTime(value);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
        c.minute, c.second);
    return text;
}

} // namespace ov
