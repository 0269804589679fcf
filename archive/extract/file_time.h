// Stored member times as the host file system takes them.
#pragma once

#include <cstdint>

namespace ov {

// A DOS date-time (local time, date in the high half) as Unix seconds; a
// zero stamp or one with a field out of range gives 1 January 1980 00:00.
int64_t dosDateTimeToUnix(uint32_t dosDateTime);

} // namespace ov
