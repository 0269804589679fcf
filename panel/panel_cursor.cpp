#include "panel/panel_cursor.h"

#include <algorithm>

namespace ov {

void PanelCursor::setPage(int rows, int columns, int count)
{
    m_rows = std::max(rows, 1);
    m_columns = std::max(columns, 1);
    m_count = std::max(count, 0);
}

void PanelCursor::normalize()
{
    const int last = std::max(m_count, 1) - 1; // 0-based last entry
    const int entry = std::clamp(TopIndex + CursorRow, 0, last);
    TopIndex = std::clamp(TopIndex, 0, std::max(0, m_count - cells()));
    if (entry < TopIndex)
        TopIndex = entry;
    if (entry > TopIndex + cells() - 1)
        TopIndex = entry - cells() + 1;
    CursorRow = entry - TopIndex;
}

CursorMove PanelCursor::result(int oldTop, int oldRow) const
{
    if (TopIndex != oldTop)
        return CursorMove::Page;
    return CursorRow != oldRow ? CursorMove::Cursor : CursorMove::None;
}

CursorMove PanelCursor::up()
{
    if (m_count == 0 || current() == 1)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    if (CursorRow > 0)
        --CursorRow;
    else
        --TopIndex;
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::down()
{
    if (m_count == 0 || current() >= m_count)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    if (CursorRow == cells() - 1)
        ++TopIndex;
    else
        ++CursorRow;
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::pageRight()
{
    if (m_count == 0)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    const int lastRow = m_count - 1 - TopIndex; // page offset of the last entry
    const int column = CursorRow / m_rows;
    if (column < m_columns - 1) {
        CursorRow = std::min(CursorRow + m_rows, lastRow);
    } else if (CursorRow < cells() - 1) {
        CursorRow = std::min(cells() - 1, lastRow);
    } else if (TopIndex + cells() < m_count) {
        TopIndex = std::min(TopIndex + m_rows, m_count - cells());
    }
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::pageLeft()
{
    if (m_count == 0)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    if (CursorRow / m_rows > 0)
        CursorRow -= m_rows;
    else if (CursorRow > 0)
        CursorRow = 0;
    else if (TopIndex > 0)
        TopIndex = std::max(0, TopIndex - m_rows);
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::home()
{
    if (m_count == 0 || current() == 1)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    TopIndex = 0;
    CursorRow = 0;
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::end()
{
    if (m_count == 0)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    if (m_count < cells()) {
        TopIndex = 0;
        CursorRow = m_count - 1;
    } else {
        CursorRow = cells() - 1;
        TopIndex = m_count - cells();
    }
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::setIndex(int n)
{
    if (m_count == 0)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    n = std::clamp(n, 1, m_count);
    TopIndex = 0;
    CursorRow = n - 1;
    if (n - 1 >= cells()) {
        CursorRow = cells() - 1;
        TopIndex = n - cells();
    }
    return result(oldTop, oldRow);
}

CursorMove PanelCursor::setRow(int row)
{
    if (m_count == 0)
        return CursorMove::None;
    const int oldTop = TopIndex, oldRow = CursorRow;
    CursorRow = std::clamp(row, 0, std::min(cells() - 1, m_count - 1 - TopIndex));
    return result(oldTop, oldRow);
}

} // namespace ov
