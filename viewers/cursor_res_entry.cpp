#include "viewers/cursor_res_entry.h"

#include "viewers/exe_image.h"
#include "viewers/le_bytes.h"

namespace ov {

std::string TCursorResEntry::Name()
{
    if (!m_groupEntry)
        return TResourceItem::Name();
    const LeBytes& view = Image().View();
    const std::string width = std::to_string(*view.u16(*m_groupEntry));
    return width + " X " + width + " " + std::to_string(*view.u16(*m_groupEntry + 6)) + " Bit(s)";
}

} // namespace ov
