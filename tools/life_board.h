// A board of Conway's Game of Life of any size whose edges do not wrap: the
// cells beyond them count as dead. Cells are kept 64 to a machine word, one
// run of words per row, so that a generation is computed a word at a time
// with bitwise adders instead of eight neighbour reads per cell.
//
// Also the board's text form: one line per row, "." dead and "O" alive,
// lines starting with "!" are comments; short lines are padded with dead
// cells to the longest line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

class LifeBoard {
public:
    // The largest board the text form may describe (rows times columns).
    static constexpr std::size_t MaxTextCells = std::size_t { 1 } << 28;

    LifeBoard() = default;
    // A dead board; negative sizes become 0.
    LifeBoard(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }

    // false outside the board.
    bool alive(int row, int column) const;
    // Ignored outside the board.
    void set(int row, int column, bool alive);
    void clear();
    std::size_t population() const;

    // The next generation of this board: a cell lives when it is alive with
    // two or three living neighbours or dead with exactly three.
    LifeBoard next() const;
    // The same, written into out (which takes this board's size); out may
    // not be this board.
    void nextInto(LifeBoard& out) const;

    // Calls visit(row, column, aliveHere) for every cell whose state differs
    // from other's; both boards must have the same size.
    void forEachDifference(const LifeBoard& other, const std::function<void(int, int, bool)>& visit) const;

    bool operator==(const LifeBoard& other) const = default;

    // The text form, every line ending with "\n".
    std::string toText() const;
    // Reads the text form ("\r\n" line ends too). nullopt for a character
    // other than "." and "O" in a board line, or a board larger than
    // MaxTextCells; error (when given) then says what and where.
    static std::optional<LifeBoard> fromText(std::string_view text, std::string* error = nullptr);

private:
    int m_rows = 0;
    int m_columns = 0;
    int m_words = 0; // words per row
    uint64_t m_lastMask = 0; // the bits of the last word of a row that are cells
    std::vector<uint64_t> m_cells;

    const uint64_t* row(int index) const
    {
        return m_cells.data() + static_cast<std::size_t>(index) * m_words;
    }
    uint64_t* row(int index) { return m_cells.data() + static_cast<std::size_t>(index) * m_words; }
};

} // namespace ov
