#include "archive/extract/file_time.h"

#include <ctime>

namespace ov {

int64_t dosDateTimeToUnix(uint32_t dos)
{
    std::tm tm {};
    tm.tm_year = int((dos >> 25) & 0x7F) + 80;
    tm.tm_mon = int((dos >> 21) & 0x0F) - 1;
    tm.tm_mday = int((dos >> 16) & 0x1F);
    tm.tm_hour = int((dos >> 11) & 0x1F);
    tm.tm_min = int((dos >> 5) & 0x3F);
    tm.tm_sec = int(dos & 0x1F) * 2;
    tm.tm_isdst = -1;
    // A zero or impossible stamp stands for the earliest DOS date.
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59
        || tm.tm_sec > 59) {
        tm = std::tm {};
        tm.tm_year = 80;
        tm.tm_mday = 1;
        tm.tm_isdst = -1;
    }
    return int64_t(std::mktime(&tm));
}

} // namespace ov
