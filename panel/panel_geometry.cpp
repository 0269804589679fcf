#include "panel/panel_geometry.h"

#include <algorithm>
#include <cstdint>

namespace ov {

int effectiveFontSize(int size)
{
    return size > 0 ? size : 8;
}

int headerHeightFor(int fontSizeSetting, int letterHeight)
{
    const int size = effectiveFontSize(fontSizeSetting);
    if (size == 8)
        return 25;
    if (size < 8)
        return 2 * letterHeight;
    return (3 * letterHeight + 1) / 2;
}

int footerHeightFor(int fontSizeSetting)
{
    const int size = effectiveFontSize(fontSizeSetting);
    return size == 8 ? 38 : 4 * size;
}

int footerLineSpacing(int fontSizeSetting)
{
    const int size = effectiveFontSize(fontSizeSetting);
    return size == 8 ? 13 : (3 * size + 1) / 2;
}

PanelGeometry computePanelGeometry(const PanelGeometryInput& input)
{
    PanelGeometry g;
    g.width = input.width;
    g.height = input.height;
    const int size = effectiveFontSize(input.fontSize);
    g.headerHeight = headerHeightFor(input.fontSizeSetting, input.letterHeight);
    g.footerHeight = footerHeightFor(input.fontSizeSetting);
    g.stripHeight = input.showScrollBar ? 11 : 0;
    g.lineHeight = 2 * size;
    g.columns = input.viewMode == ViewMode::Full ? 1 : std::clamp(input.columns, 1, MaxColumns);
    g.nameColWidth = std::max(input.nameColWidth, 10);
    g.sizeColWidth = std::max(input.sizeColWidth, 5);
    g.dateColWidth = std::max(input.dateColWidth, 5);
    if (input.width <= 0 || input.height <= 0)
        return g;
    g.laidOut = true;
    const int w = input.width;
    const int h = input.height;
    g.listLeft = 3;
    g.listRight = w - 3;
    g.listTop = g.headerHeight;
    g.listHeight = h - g.footerHeight - g.headerHeight - g.stripHeight;
    g.listBottom = g.headerHeight + g.listHeight;
    g.rows = std::max(1, (g.listHeight - 4) / g.lineHeight);
    g.columnWidth = std::max(1, (w - 3) / g.columns);
    g.cellTextWidth = std::max(1, std::min(g.columnWidth - 2, w - 5));
    g.stripLeft = 3;
    g.stripRight = w - 4;
    g.stripTop = h - g.stripHeight + 2;
    g.stripBottom = h - 2;
    g.nameColWidth = std::max(10, std::min(g.nameColWidth, w - 11));
    return g;
}

int thumbOffset(int width, int currentIndex, int count)
{
    if (currentIndex <= 1)
        return 1;
    const int64_t n = count > 1 ? count - 1 : 1;
    const int64_t span = width - 33;
    // Rounded to nearest, also for a negative span of a tiny panel.
    const int64_t product = span * currentIndex;
    int64_t offset = product >= 0 ? (2 * product + n) / (2 * n) : -((-2 * product + n) / (2 * n));
    const int64_t high = std::max<int64_t>(1, width - 30);
    return static_cast<int>(std::clamp<int64_t>(offset, 1, high));
}

} // namespace ov
