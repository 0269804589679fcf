#include "viewers/dialog_template.h"

#include "viewers/le_bytes.h"
#include "viewers/utf16.h"

#include <algorithm>
#include <cstdio>

namespace ov {

namespace {

constexpr uint32_t kSetFont = 0x40; // DS_SETFONT
constexpr uint32_t kShellFont = 0x48; // DS_SHELLFONT

// Reads fields in order from a bounded view; once a read fails every later
// one fails too.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes)
        : m_view(bytes)
    {
    }

    bool ok() const { return m_ok; }
    uint64_t offset() const { return m_at; }

    uint16_t u16()
    {
        const auto value = m_ok ? m_view.u16(m_at) : std::nullopt;
        m_ok = value.has_value();
        m_at += 2;
        return value.value_or(0);
    }
    uint32_t u32()
    {
        const auto value = m_ok ? m_view.u32(m_at) : std::nullopt;
        m_ok = value.has_value();
        m_at += 4;
        return value.value_or(0);
    }
    uint8_t u8()
    {
        const auto value = m_ok ? m_view.u8(m_at) : std::nullopt;
        m_ok = value.has_value();
        m_at += 1;
        return value.value_or(0);
    }
    int16_t i16() { return static_cast<int16_t>(u16()); }

    std::string text()
    {
        std::u16string units;
        for (;;) {
            const uint16_t unit = u16();
            if (!m_ok || unit == 0)
                break;
            units.push_back(static_cast<char16_t>(unit));
        }
        return utf16ToUtf8(units);
    }

    DialogName name()
    {
        DialogName name;
        const auto first = m_ok ? m_view.u16(m_at) : std::nullopt;
        if (!first) {
            m_ok = false;
            return name;
        }
        if (*first == 0) {
            m_at += 2;
        } else if (*first == 0xFFFF) {
            m_at += 2;
            name.kind = DialogName::Kind::Ordinal;
            name.ordinal = u16();
        } else {
            name.kind = DialogName::Kind::Text;
            name.text = text();
        }
        return name;
    }

    void align4() { m_at = (m_at + 3) & ~uint64_t(3); }
    void skip(uint64_t count) { m_at += count; }
    bool inside() const { return m_ok && m_at <= m_view.size(); }

private:
    LeBytes m_view;
    uint64_t m_at = 0;
    bool m_ok = true;
};

bool sameWithoutCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return i == a.size() && !b[i];
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

} // namespace

std::string DialogName::display() const
{
    switch (kind) {
    case Kind::Ordinal:
        return "#" + std::to_string(ordinal);
    case Kind::Text:
        return text;
    case Kind::None:
        break;
    }
    return {};
}

std::string DialogControl::className() const
{
    static const char* const predefined[]
        = { "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" };
    if (windowClass.kind == DialogName::Kind::Ordinal && windowClass.ordinal >= 0x80
        && windowClass.ordinal <= 0x85)
        return predefined[windowClass.ordinal - 0x80];
    return windowClass.display();
}

bool knownDialogClass(const std::string& name)
{
    static const char* const known[] = { "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox",
        "SysListView32", "SysTreeView32", "SysTabControl32", "SysHeader32", "msctls_progress32",
        "msctls_trackbar32", "msctls_updown32", "msctls_hotkey32", "msctls_statusbar32", "SysAnimate32",
        "SysDateTimePick32", "SysMonthCal32", "SysIPAddress32", "SysLink", "ComboBoxEx32", "ToolbarWindow32",
        "ReBarWindow32", "RichEdit", "RichEdit20A", "RichEdit20W", "RICHEDIT50W" };
    return std::any_of(
        std::begin(known), std::end(known), [&](const char* k) { return sameWithoutCase(name, k); });
}

std::optional<DialogTemplate> DialogTemplate::parse(
    std::span<const uint8_t> bytes, std::optional<uint16_t> countOverride)
{
    Reader in(bytes);
    DialogTemplate dialog;
    const LeBytes view(bytes);
    dialog.extended = view.u16(0) == 1 && view.u16(2) == 0xFFFF;
    if (dialog.extended) {
        in.skip(4);
        in.u32(); // help id
        dialog.exStyle = in.u32();
        dialog.style = in.u32();
    } else {
        dialog.style = in.u32();
        dialog.exStyle = in.u32();
    }
    dialog.declaredCount = in.u16();
    dialog.x = in.i16();
    dialog.y = in.i16();
    dialog.cx = in.i16();
    dialog.cy = in.i16();
    dialog.menu = in.name();
    dialog.windowClass = in.name();
    dialog.title = in.text();
    if ((dialog.style & kSetFont) || (dialog.extended && (dialog.style & kShellFont) == kShellFont)) {
        dialog.hasFont = true;
        dialog.pointSize = in.u16();
        if (dialog.extended) {
            dialog.weight = in.u16();
            dialog.italic = in.u8() != 0;
            in.u8(); // character set
        }
        dialog.typeface = in.text();
    }
    if (!in.ok())
        return std::nullopt;

    const uint16_t count = countOverride.value_or(dialog.declaredCount);
    for (uint16_t i = 0; i < count; ++i) {
        in.align4();
        DialogControl control;
        if (dialog.extended) {
            in.u32(); // help id
            control.exStyle = in.u32();
            control.style = in.u32();
        } else {
            control.style = in.u32();
            control.exStyle = in.u32();
        }
        control.x = in.i16();
        control.y = in.i16();
        control.cx = in.i16();
        control.cy = in.i16();
        control.id = dialog.extended ? in.u32() : in.u16();
        control.windowClass = in.name();
        control.title = in.name();
        const uint16_t extra = in.u16();
        in.skip(extra);
        if (!in.inside())
            return dialog;
        dialog.controls.push_back(std::move(control));
    }
    dialog.complete = true;
    return dialog;
}

std::vector<std::string> DialogTemplate::describe() const
{
    std::vector<std::string> lines;
    char text[160];
    std::snprintf(text, sizeof text, "%s %d, %d, %d, %d, style 0x%08X, exstyle 0x%08X",
        extended ? "DIALOGEX" : "DIALOG", x, y, cx, cy, style, exStyle);
    lines.emplace_back(text);
    if (!title.empty())
        lines.push_back("CAPTION " + quoted(title));
    if (hasFont)
        lines.push_back("FONT " + std::to_string(pointSize) + ", " + quoted(typeface));
    if (menu.kind != DialogName::Kind::None)
        lines.push_back("MENU " + menu.display());
    if (windowClass.kind != DialogName::Kind::None)
        lines.push_back("CLASS " + quoted(windowClass.display()));
    for (const auto& control : controls) {
        std::snprintf(text, sizeof text, ", %u, %d, %d, %d, %d, style 0x%08X", control.id, control.x,
            control.y, control.cx, control.cy, control.style);
        lines.push_back(
            "  CONTROL " + quoted(control.title.display()) + ", " + quoted(control.className()) + text);
    }
    return lines;
}

std::string DialogCreation::message() const
{
    if (!dialog)
        return "Unable to create this dialog, sorry.";
    if (stripped == 0)
        return "Take a look!";
    return std::to_string(stripped) + " control(s) has been stripped.";
}

DialogCreation createDialog(std::span<const uint8_t> bytes)
{
    // Trying count, count - 1, ... 0 until creation works keeps the first
    // controls up to the first one that is unreadable or of an unknown class;
    // one read of the template finds that point.
    DialogCreation creation;
    auto dialog = DialogTemplate::parse(bytes);
    if (!dialog)
        return creation;
    if (dialog->windowClass.kind == DialogName::Kind::Text && dialog->windowClass.text != "#32770")
        return creation;
    std::size_t kept = 0;
    while (kept < dialog->controls.size() && knownDialogClass(dialog->controls[kept].className()))
        ++kept;
    dialog->controls.resize(kept);
    creation.stripped = dialog->declaredCount - static_cast<int>(kept);
    creation.dialog = std::move(dialog);
    return creation;
}

} // namespace ov
