// TCursorResEntry: one cursor image (type 1): a 16-bit hotspot x and y, then
// a DIB with a doubled height. Named from its group entry as
// "W X W N Bit(s)"; saved as a .cur file by TIconResEntry.
#pragma once

#include "viewers/icon_res_entry.h"

namespace ov {

class TCursorResEntry : public TIconResEntry {
public:
    using TIconResEntry::TIconResEntry;

    std::string Name() override;
};

} // namespace ov
