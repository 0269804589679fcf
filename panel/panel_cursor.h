// The panel's cursor: TopIndex (0-based first visible entry) and CursorRow
// (0-based offset of the cursor from it) over a page of rows x columns cells.
//
// Every move keeps one invariant, which normalize() also restores after a
// re-read, a resize or a mode change:
//   0 <= TopIndex <= max(0, Count - cells)   and
//   0 <= CursorRow < cells,  TopIndex + CursorRow + 1 <= max(Count, 1).
// With Count 0 every move is a no-op. Each move says what must be redrawn.
#pragma once

namespace ov {

enum class CursorMove {
    None, // nothing changed
    Cursor, // the cursor moved inside the page: redraw the old and new cell
    Page, // the first visible entry changed: redraw the list
};

class PanelCursor {
public:
    int TopIndex = 0;
    int CursorRow = 0;

    // The page and list the moves work on.
    void setPage(int rows, int columns, int count);
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    int count() const { return m_count; }
    int cells() const { return m_rows * m_columns; }
    // 1-based index of the entry under the cursor (0 when the list is empty).
    int current() const { return m_count > 0 ? TopIndex + CursorRow + 1 : 0; }

    // Restores the invariant, keeping the cursor's entry where it can.
    void normalize();

    CursorMove up();
    CursorMove down();
    CursorMove pageRight();
    CursorMove pageLeft();
    CursorMove home();
    CursorMove end();
    // Makes 1-based entry n current: on the first page TopIndex is 0,
    // otherwise the entry becomes the page's last cell. n is clamped to
    // 1..Count.
    CursorMove setIndex(int n);
    // Puts the cursor on page offset row (bounded by the last entry).
    CursorMove setRow(int row);

private:
    CursorMove result(int oldTop, int oldRow) const;
    int m_rows = 1;
    int m_columns = 1;
    int m_count = 0;
};

} // namespace ov
