// The arithmetic of the hex dump view, kept apart from any window so it can
// be tested alone: how many bytes fit on a line, the text of one row, and
// how keys and scrolling move the top and current lines.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ov {

struct HexLayout {
    int visibleLines = 1; // client height div line height + 1
    int bytesPerLine = 1; // 1..16
    uint64_t lineCount = 0; // lines needed for all the data
};

// Layout for a client area in pixels, with the font's line height and
// character width (both at least 1).
HexLayout hexLayout(int clientWidth, int clientHeight, int lineHeight, int charWidth, bool showAddress,
    bool showCharacters, uint64_t dataSize);

// The data a hex dump shows: `size` bytes of which the first bytes.size()
// can be read (the rest show as "??"); `address` is the file offset of the
// first byte.
struct HexData {
    std::span<const uint8_t> bytes;
    uint64_t size = 0;
    uint64_t address = 0;
};

struct HexRow {
    std::string address; // "0000ABC0:"
    std::string hex; // "41 42 ??", one field per byte
    std::string characters; // UTF-8, one character per byte
    int byteCount = 0; // bytes on this row (fewer on the last)
};

// Row `line` of the dump. Control bytes and 0x7F show as "."; bytes from
// 0x80 are the Windows-1252 characters (undefined ones as "."); bytes that
// cannot be read are "??" with a blank character. A line past the end has no
// bytes.
HexRow hexRow(const HexData& data, uint64_t line, int bytesPerLine);

struct HexPosition {
    int64_t top = 0;
    int64_t current = 0;
};

enum class HexKey { PageUp, PageDown, Home, End, Up, Down };

// The position after a key: the current line moves and is clamped to the
// data, then the top line follows so that the current line stays in view;
// the top never passes the current line. Without lines nothing moves.
HexPosition hexKeyMove(HexPosition position, HexKey key, int visibleLines, uint64_t lineCount);

// A top line asked for by the scroll bar, clamped to 0 .. lineCount - 1.
int64_t hexClampTop(int64_t top, uint64_t lineCount);

} // namespace ov
