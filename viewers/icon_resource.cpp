#include "viewers/icon_resource.h"

#include "viewers/icon_resource_list.h"
#include "viewers/resource_type.h"

namespace ov {

uint32_t TIconResource::memberType() const
{
    return rtIconEntry;
}

TResourceList& TIconResource::List()
{
    if (!m_group)
        m_group = std::make_unique<TIconResourceList>(*this, memberType());
    return *m_group;
}

} // namespace ov
