// TMenuResource: a menu (type 4) rendered as resource-script lines: POPUP,
// MENUITEM and ENDPOPUP, two blanks of indent per level. Reads the standard
// template and the extended one (version 1).
#pragma once

#include "viewers/resource_item.h"

namespace ov {

class LeBytes;

class TMenuResource : public TResourceItem {
public:
    using TResourceItem::TResourceItem;

    using TResourceItem::AssignTo;
    void AssignTo(std::vector<std::string>& lines) override;

private:
    void renderStandard(const LeBytes& data, std::vector<std::string>& lines);
    void renderExtended(const LeBytes& data, uint64_t start, std::vector<std::string>& lines);
    // Adds one item's line; `ends` is the item's end-of-level flag. Returns
    // false once the outermost level has ended.
    bool addItem(std::vector<std::string>& lines, bool popup, bool ends, bool separator,
        const std::string& text, uint32_t id);
    void addLine(std::vector<std::string>& lines, const std::string& line);

    // Rendering state: the indent level and, for each open popup, whether
    // that popup was the last of its own level (so closing it closes its
    // parent's level too).
    int m_level = 0;
    std::string m_indent;
    std::vector<bool> m_popupEnds;
};

} // namespace ov
