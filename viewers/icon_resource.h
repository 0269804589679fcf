// TIconResource: an icon group (type 14). Always a list: its items are the
// icon images (from the image's IconPool) that the group directory names.
#pragma once

#include "viewers/resource_item.h"

namespace ov {

class TIconResource : public TResourceItem {
public:
    using TResourceItem::TResourceItem;

    bool IsList() override { return true; }
    TResourceList& List() override;

protected:
    // The type of the images the group refers to: 3 here, 1 for cursors.
    virtual uint32_t memberType() const;

private:
    std::unique_ptr<TResourceList> m_group;
};

} // namespace ov
