// TCursorResource: a cursor group (type 12); its items are cursor images
// from the image's CursorPool.
#pragma once

#include "viewers/icon_resource.h"
#include "viewers/resource_type.h"

namespace ov {

class TCursorResource : public TIconResource {
public:
    using TIconResource::TIconResource;

protected:
    uint32_t memberType() const override { return rtCursorEntry; }
};

} // namespace ov
