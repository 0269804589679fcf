// Stored member times as the host file system takes them.
#pragma once

#include <cstdint>

namespace ov {

// A DOS date-time (local time, date in the high half) as Unix seconds; -1
// when a field is out of range.
int64_t dosDateTimeToUnix(uint32_t dosDateTime);

} // namespace ov
