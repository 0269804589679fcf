// The panel's geometry as a pure function of its size, font and settings:
// header, list area, rows and columns, footer, position strip, the full-mode
// column widths and the strip's thumb. Nothing here touches a window, a font
// or the file system, so every figure can be checked from a table.
#pragma once

#include "panel/panel_settings.h"

namespace ov {

// The most columns a brief panel draws: every value the options offer.
inline constexpr int MaxColumns = 12;

struct PanelGeometryInput {
    int width = 0; // client width W
    int height = 0; // client height H
    int fontSize = 8; // S, the list font's size in points (<= 0 reads as 8)
    int fontSizeSetting = 8; // FontSizeSetting (<= 0 reads as 8)
    int letterHeight = 0; // height of the letter "C" in the list font, in pixels
    int columns = 3; // the Columns setting (brief mode)
    ViewMode viewMode = ViewMode::Brief;
    bool showScrollBar = true;
    int nameColWidth = 103;
    int sizeColWidth = 60;
    int dateColWidth = 75;
};

struct PanelGeometry {
    bool laidOut = false; // false for a panel without width or height
    int width = 0;
    int height = 0;
    int headerHeight = 0; // HH
    int footerHeight = 0; // FH
    int stripHeight = 0; // SH
    int listLeft = 3;
    int listRight = 0; // W - 3
    int listTop = 0; // HH
    int listBottom = 0; // HH + LH
    int listHeight = 0; // LH
    int lineHeight = 16; // 2 * S
    int rows = 1; // R, at least 1
    int columns = 1; // 1..MaxColumns; 1 in full mode
    int columnWidth = 1; // CW
    int cellTextWidth = 1;
    int stripLeft = 3, stripRight = 0, stripTop = 0, stripBottom = 0;
    int nameColWidth = 10; // cut to W - 11, at least 10
    int sizeColWidth = 5;
    int dateColWidth = 5;

    int cells() const { return rows * columns; }
    // Left x and top y of the cell that shows page offset cursorRow.
    int cellLeft(int cursorRow) const { return listLeft + (cursorRow / rows) * columnWidth; }
    int cellTop(int cursorRow) const { return headerHeight + (cursorRow % rows) * lineHeight + 2; }
};

// A font size as the panel uses it: <= 0 reads as 8.
int effectiveFontSize(int size);
// Header height HH: 25 at size 8, else 2 x (letter "C" height) below 8 and
// 1.5 x that, rounded, above 8.
int headerHeightFor(int fontSizeSetting, int letterHeight);
// Footer height FH: 38 at size 8, else 4 x the setting.
int footerHeightFor(int fontSizeSetting);
// Offset below the first footer line of the second one: 13 at size 8, else
// 1.5 x the setting, rounded.
int footerLineSpacing(int fontSizeSetting);

PanelGeometry computePanelGeometry(const PanelGeometryInput& input);

// x offset (from x = 3) of the strip's 20-pixel thumb for the 1-based
// current entry of count entries in a panel of the given width.
int thumbOffset(int width, int currentIndex, int count);

} // namespace ov
