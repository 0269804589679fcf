// TIconResEntry: one icon image (type 3), a DIB with a doubled height or a
// PNG stream. A group that lists it records its 14-byte group entry here,
// which then names the image. Saving writes a one-image .ico file.
#pragma once

#include "viewers/resource_item.h"

namespace ov {

class TIconResEntry : public TResourceItem {
public:
    using TResourceItem::TResourceItem;

    using TResourceItem::AssignTo;
    // The saved icon (or cursor) file, as "ICO" (or "CUR").
    void AssignTo(ResourcePicture& picture) override;
    // "W X H N Colors" from the group entry once a group lists the image.
    std::string Name() override;
    // A .ico file for an icon image; a .cur file for a cursor image, whose
    // stored 2 × 16-bit hotspot goes into the file's entry. Raises EExeError
    // like the base when the data is not wholly inside the file.
    void SaveToStream(std::ostream& stream) override;

    // File offset of the group entry that lists this image (14 bytes, inside
    // the file), set by the group list.
    void setGroupEntry(uint64_t offset) { m_groupEntry = offset; }
    bool hasGroupEntry() const { return m_groupEntry.has_value(); }

protected:
    std::optional<uint64_t> m_groupEntry;
};

} // namespace ov
