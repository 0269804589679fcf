// TIconResourceList: the images of one icon or cursor group. Its directory
// is the group's data: a 6-byte header with the count at 4, then 14-byte
// entries with the image id at 12. Its items belong to the pool; the list
// only refers to them. Entries beyond the group's data are ignored, ids
// without an image add nothing, and without a pool the list is empty.
#pragma once

#include "viewers/resource_list.h"

namespace ov {

class TIconResourceList : public TResourceList {
public:
    // `memberType` is 3 for icon groups, 1 for cursor groups.
    TIconResourceList(TResourceItem& group, uint32_t memberType);

protected:
    void build() override;

private:
    TResourceItem& m_group;
};

} // namespace ov
