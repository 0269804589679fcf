#include "viewers/hex_dump_layout.h"

#include <algorithm>
#include <cstdio>

namespace ov {

namespace {

constexpr int kAddressColumns = 10;
constexpr int kMaxBytesPerLine = 16;

// Windows-1252 code points for 0x80..0x9F; 0 where the code page has none.
constexpr char16_t kHighControls[32] = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

void appendCharacter(std::string& out, uint8_t byte)
{
    uint32_t code = byte;
    if (byte < 0x20 || byte == 0x7F)
        code = '.';
    else if (byte >= 0x80 && byte < 0xA0)
        code = kHighControls[byte - 0x80] ? kHighControls[byte - 0x80] : '.';
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

HexLayout hexLayout(int clientWidth, int clientHeight, int lineHeight, int charWidth, bool showAddress,
    bool showCharacters, uint64_t dataSize)
{
    HexLayout layout;
    lineHeight = std::max(lineHeight, 1);
    charWidth = std::max(charWidth, 1);
    layout.visibleLines = std::max(clientHeight, 0) / lineHeight + 1;
    int columns = std::max(clientWidth, 0) / charWidth;
    if (showAddress)
        columns -= kAddressColumns;
    layout.bytesPerLine = std::clamp(columns / (showCharacters ? 4 : 3), 1, kMaxBytesPerLine);
    const auto perLine = static_cast<uint64_t>(layout.bytesPerLine);
    layout.lineCount = dataSize / perLine + (dataSize % perLine ? 1 : 0);
    return layout;
}

HexRow hexRow(const HexData& data, uint64_t line, int bytesPerLine)
{
    HexRow row;
    const auto perLine = static_cast<uint64_t>(std::clamp(bytesPerLine, 1, kMaxBytesPerLine));
    const uint64_t first = line * perLine;
    char address[24];
    std::snprintf(address, sizeof address, "%08llX:", static_cast<unsigned long long>(data.address + first));
    row.address = address;
    if (first >= data.size)
        return row;
    const uint64_t count = std::min(perLine, data.size - first);
    row.byteCount = static_cast<int>(count);
    static const char digits[] = "0123456789ABCDEF";
    for (uint64_t i = 0; i < count; ++i) {
        if (i)
            row.hex += ' ';
        const uint64_t at = first + i;
        if (at >= data.bytes.size()) {
            row.hex += "??";
            row.characters += ' ';
            continue;
        }
        const uint8_t byte = data.bytes[at];
        row.hex += digits[byte >> 4];
        row.hex += digits[byte & 15];
        appendCharacter(row.characters, byte);
    }
    return row;
}

int64_t hexClampTop(int64_t top, uint64_t lineCount)
{
    if (lineCount == 0)
        return 0;
    return std::clamp<int64_t>(top, 0, static_cast<int64_t>(lineCount - 1));
}

HexPosition hexKeyMove(HexPosition position, HexKey key, int visibleLines, uint64_t lineCount)
{
    if (lineCount == 0)
        return position;
    const int64_t last = static_cast<int64_t>(lineCount - 1);
    int64_t current = position.current;
    switch (key) {
    case HexKey::PageUp:
        current -= visibleLines;
        break;
    case HexKey::PageDown:
        current += visibleLines;
        break;
    case HexKey::Home:
        current = 0;
        break;
    case HexKey::End:
        current = last;
        break;
    case HexKey::Up:
        current -= 1;
        break;
    case HexKey::Down:
        current += 1;
        break;
    }
    current = std::clamp<int64_t>(current, 0, last);
    int64_t top = position.top;
    if (current < top)
        top = current;
    else if (current >= top + visibleLines - 1)
        top = current - visibleLines + 2;
    top = std::clamp<int64_t>(top, 0, current);
    return { top, current };
}

} // namespace ov
