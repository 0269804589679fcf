// Colour values as the settings files store them: 32-bit 0x00BBGGRR; a value
// with the top bit set names a system colour by its index in the low byte.
// System colours come from one fixed table of the classic system palette, so
// the program looks the same on every desktop.
#pragma once

#include <cstdint>

namespace ov {

// System colour indexes used by the program.
enum SystemColor : int {
    clScrollBar = 0,
    clBackground = 1,
    clActiveCaption = 2,
    clInactiveCaption = 3,
    clMenu = 4,
    clWindow = 5,
    clWindowFrame = 6,
    clMenuText = 7,
    clWindowText = 8,
    clCaptionText = 9,
    clBtnFace = 15,
    clBtnShadow = 16,
    clGrayText = 17,
    clBtnText = 18,
    clBtnHighlight = 20,
    clHighlight = 13,
    clHighlightText = 14,
};

// Named colours as 0x00BBGGRR.
constexpr uint32_t clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                   clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                   clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                   clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;

// The value of a system colour, as a colour value marks it (0x80000000 | index).
constexpr int32_t systemColorValue(int index)
{
    return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
}

// Resolves a stored colour value to 0x00RRGGBB (the order Qt's QRgb uses,
// without alpha). Unknown system indexes give black.
uint32_t colorToRgb(int32_t value);

} // namespace ov
