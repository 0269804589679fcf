#include "viewers/menu_resource.h"

#include "viewers/le_bytes.h"
#include "viewers/utf16.h"

namespace ov {

namespace {

// Flags of the standard template (MENUITEMTEMPLATE).
constexpr uint16_t kPopup = 0x10;
constexpr uint16_t kEnd = 0x80;
// The extended template (MENUEX_TEMPLATE_ITEM) keeps popup and end in its
// 16-bit resource-info word and the separator in its 32-bit type.
constexpr uint16_t kExPopup = 0x01;
constexpr uint32_t kExSeparator = 0x800;

// Reads a zero-terminated UTF-16 text at `at`, leaving `at` after the zero;
// a text cut off by the end of the data ends there.
std::string readText(const LeBytes& data, uint64_t& at)
{
    std::u16string text;
    for (;;) {
        const auto unit = data.u16(at);
        if (!unit) {
            at = data.size();
            break;
        }
        at += 2;
        if (*unit == 0)
            break;
        text += static_cast<char16_t>(*unit);
    }
    return utf16ToUtf8(text);
}

} // namespace

void TMenuResource::addLine(std::vector<std::string>& lines, const std::string& line)
{
    lines.push_back(m_indent + line);
}

bool TMenuResource::addItem(std::vector<std::string>& lines, bool popup, bool ends, bool separator,
    const std::string& text, uint32_t id)
{
    if (popup) {
        addLine(lines, "POPUP \"" + text + "\"");
        m_popupEnds.push_back(ends);
        ++m_level;
        m_indent.assign(2 * std::size_t(m_level), ' ');
        return true;
    }
    addLine(lines,
        separator ? std::string("MENUITEM SEPARATOR") : "MENUITEM \"" + text + "\",  " + std::to_string(id));
    if (!ends)
        return true;
    // The last item of a level closes it; a popup that was itself the last
    // of its level closes that level as well, and so on outwards.
    for (;;) {
        if (m_popupEnds.empty())
            return false;
        const bool parentEnds = m_popupEnds.back();
        m_popupEnds.pop_back();
        --m_level;
        m_indent.assign(2 * std::size_t(m_level), ' ');
        addLine(lines, "ENDPOPUP");
        if (!parentEnds)
            return true;
    }
}

void TMenuResource::renderStandard(const LeBytes& data, std::vector<std::string>& lines)
{
    uint64_t at = 4;
    while (at < data.size()) {
        const auto flags = data.u16(at);
        if (!flags)
            return;
        at += 2;
        const bool popup = *flags & kPopup;
        uint16_t id = 0;
        if (!popup) {
            const auto value = data.u16(at);
            if (!value)
                return;
            id = *value;
            at += 2;
        }
        const std::string text = readText(data, at);
        if (!addItem(lines, popup, *flags & kEnd, !popup && text.empty(), text, id))
            return;
    }
}

void TMenuResource::renderExtended(const LeBytes& data, uint64_t start, std::vector<std::string>& lines)
{
    uint64_t at = start;
    while (at < data.size()) {
        const auto type = data.u32(at);
        const auto id = data.u32(at + 8);
        const auto info = data.u16(at + 12);
        if (!type || !id || !info)
            return;
        at += 14;
        const std::string text = readText(data, at);
        at = (at + 3) & ~uint64_t(3);
        const bool popup = *info & kExPopup;
        if (popup)
            at += 4; // the help id, then the popup's items
        const bool separator = (*type & kExSeparator) || (!popup && text.empty());
        if (!addItem(lines, popup, *info & kEnd, separator, text, *id))
            return;
    }
}

void TMenuResource::AssignTo(std::vector<std::string>& lines)
{
    lines.clear();
    m_level = 0;
    m_indent.clear();
    m_popupEnds.clear();
    const LeBytes data(RawData());
    // Header: version and the offset of the items (after the header words).
    if (data.u16(0) == 1)
        renderExtended(data, 4 + uint64_t(data.u16(2).value_or(0)), lines);
    else
        renderStandard(data, lines);
}

} // namespace ov
