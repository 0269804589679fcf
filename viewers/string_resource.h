// TStringResource: one block of a string table (type 6): sixteen counted
// UTF-16 strings; block n holds the strings (n - 1) * 16 .. n * 16 - 1.
#pragma once

#include "viewers/resource_item.h"

namespace ov {

class TStringResource : public TResourceItem {
public:
    using TResourceItem::TResourceItem;

    using TResourceItem::AssignTo;
    // One line `id,  "text"` per non-empty string, text in UTF-8. A block
    // cut short by the end of its data lists the strings it holds.
    void AssignTo(std::vector<std::string>& lines) override;
};

} // namespace ov
