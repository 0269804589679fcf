// Date-time values of the archive components: days since 30 December 1899
// with the time of day as the fraction, converted from the DOS date-time and
// Unix time that archives store.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

using TDateTime = double;

// A calendar date and time of day; the broken-down form of a TDateTime.
struct CivilTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

TDateTime encodeDateTime(const CivilTime& civil);
CivilTime decodeDateTime(TDateTime value);

// The value of 1 January 1980 00:00, which stands for a missing or invalid
// date.
TDateTime dosEpoch();

// 32-bit DOS date-time (date in the high half). 0 or an invalid field gives
// 1 January 1980 00:00.
TDateTime dosDateTimeToDateTime(uint32_t dosDateTime);

// Seconds since 1970 to local time. `bias` is the time-zone bias in the
// Windows sense (UTC = local + bias); a magnitude of 12 or less counts as
// hours, a larger one as minutes. Time 0 gives 1 January 1980 00:01.
TDateTime unixTimeToDateTime(int64_t unixTime, int32_t bias);

// The bias of the machine's own time zone at `unixTime`, in minutes.
int32_t systemTimeZoneBias(int64_t unixTime);

// "yyyy-mm-dd hh:mm:ss".
std::string formatDateTime(TDateTime value);

} // namespace ov
