#include "platform/colors.h"

#include <array>

namespace ov {

namespace {

// The classic Windows palette (0x00RRGGBB), by system colour index.
constexpr std::array<uint32_t, 25> systemPalette = {
    0xC0C0C0, // 0 scroll bar
    0x008080, // 1 background (desktop)
    0x000080, // 2 active caption
    0x808080, // 3 inactive caption
    0xC0C0C0, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC0C0C0, // 10 active border
    0xC0C0C0, // 11 inactive border
    0x808080, // 12 application workspace
    0x000080, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC0C0C0, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 gray text
    0x000000, // 18 button text
    0xC0C0C0, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x000000, // 21 3D dark shadow
    0xDFDFDF, // 22 3D light
    0x000000, // 23 info text
    0xFFFFE1, // 24 info background
};

} // namespace

uint32_t colorToRgb(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    if (bits & 0x80000000u) {
        const uint32_t index = bits & 0xFF;
        return index < systemPalette.size() ? systemPalette[index] : 0;
    }
    const uint32_t red = bits & 0xFF, green = (bits >> 8) & 0xFF, blue = (bits >> 16) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

} // namespace ov
