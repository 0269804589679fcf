// The plain Life step the fast one is checked and measured against: one byte
// per cell and eight bounds-checked neighbour reads per cell.
#pragma once

#include <cstdint>
#include <vector>

namespace ov::test {

struct PlainLife {
    int rows = 0;
    int columns = 0;
    std::vector<uint8_t> cells; // row-major, 1 alive

    PlainLife(int r, int c)
        : rows(r)
        , columns(c)
        , cells(static_cast<std::size_t>(r) * static_cast<std::size_t>(c), 0)
    {
    }

    int at(int r, int c) const
    {
        if (r < 0 || r >= rows || c < 0 || c >= columns)
            return 0;
        return cells[static_cast<std::size_t>(r) * columns + c];
    }

    void stepInto(PlainLife& out) const
    {
        out.rows = rows;
        out.columns = columns;
        out.cells.resize(cells.size());
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const int count = at(r - 1, c - 1) + at(r - 1, c) + at(r - 1, c + 1) + at(r, c - 1)
                    + at(r, c + 1) + at(r + 1, c - 1) + at(r + 1, c) + at(r + 1, c + 1);
                const bool alive = at(r, c) != 0;
                out.cells[static_cast<std::size_t>(r) * columns + c]
                    = (count == 3 || (alive && count == 2)) ? 1 : 0;
            }
        }
    }
};

} // namespace ov::test
