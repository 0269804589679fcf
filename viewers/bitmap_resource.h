// TBitMapResource: a bitmap resource (type 2). The stored bytes are a
// bitmap file without its 14-byte file header; saving puts the header back.
#pragma once

#include "viewers/resource_item.h"

namespace ov {

class TBitMapResource : public TResourceItem {
public:
    using TResourceItem::TResourceItem;

    // Writes "BM", the file size, two zero words and the offset of the pixel
    // data, then the stored bytes.
    void SaveToStream(std::ostream& stream) override;

    // Offset of the pixels in the saved file, worked out from the header at
    // the start of `dib`: 14 + header size + the colour table (3-byte entries
    // after a 12-byte core header, 4-byte entries otherwise) + the three masks
    // that follow a 40-byte header with BI_BITFIELDS.
    static uint32_t pixelOffset(std::span<const uint8_t> dib);
};

} // namespace ov
