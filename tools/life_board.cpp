#include "tools/life_board.h"

#include <algorithm>
#include <bit>

namespace ov {

LifeBoard::LifeBoard(int rows, int columns)
    : m_rows(std::max(rows, 0))
    , m_columns(std::max(columns, 0))
{
    if (m_rows == 0 || m_columns == 0) {
        m_rows = m_columns = 0;
        return;
    }
    m_words = (m_columns + 63) / 64;
    const int tail = m_columns % 64;
    m_lastMask = tail == 0 ? ~uint64_t { 0 } : (uint64_t { 1 } << tail) - 1;
    m_cells.assign(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_words), 0);
}

bool LifeBoard::alive(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return false;
    return (this->row(row)[column / 64] >> (column % 64)) & 1;
}

void LifeBoard::set(int row, int column, bool alive)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return;
    uint64_t& word = this->row(row)[column / 64];
    const uint64_t bit = uint64_t { 1 } << (column % 64);
    word = alive ? word | bit : word & ~bit;
}

void LifeBoard::clear()
{
    std::fill(m_cells.begin(), m_cells.end(), 0);
}

std::size_t LifeBoard::population() const
{
    std::size_t count = 0;
    for (const uint64_t word : m_cells)
        count += static_cast<std::size_t>(std::popcount(word));
    return count;
}

LifeBoard LifeBoard::next() const
{
    LifeBoard out;
    nextInto(out);
    return out;
}

// Each output word is 64 cells at once. For the three rows around a cell the
// left, centre and right neighbours are the row's word shifted by one with
// the bit carried in from the word beside it (0 beyond the edges). The eight
// neighbours are added with bitwise adders into a count whose bits live in
// separate words:
//   above and below: l + c + r, a full adder giving a two-bit sum each;
//   the cell's own row: l + r, a half adder;
//   the three ones-bits add to s0 with carry c0; the three twos-bits and c0
//   add to the twos-bit s1, with "two or more of them" meaning the count
//   reached four or more.
// A cell lives when the count is 3, or 2 and it was alive: s1 set, no four,
// and s0 or the cell itself.
void LifeBoard::nextInto(LifeBoard& out) const
{
    if (out.m_rows != m_rows || out.m_columns != m_columns)
        out = LifeBoard(m_rows, m_columns);
    const int words = m_words;
    const std::vector<uint64_t> zero(static_cast<std::size_t>(words), 0);
    for (int r = 0; r < m_rows; ++r) {
        const uint64_t* above = r > 0 ? row(r - 1) : zero.data();
        const uint64_t* middle = row(r);
        const uint64_t* below = r + 1 < m_rows ? row(r + 1) : zero.data();
        uint64_t* target = out.row(r);
        for (int k = 0; k < words; ++k) {
            const auto sides = [k, words](const uint64_t* line, uint64_t& left, uint64_t& right) {
                const uint64_t word = line[k];
                const uint64_t before = k > 0 ? line[k - 1] : 0;
                const uint64_t after = k + 1 < words ? line[k + 1] : 0;
                left = (word << 1) | (before >> 63);
                right = (word >> 1) | (after << 63);
            };
            uint64_t al, ar, ml, mr, bl, br;
            sides(above, al, ar);
            sides(middle, ml, mr);
            sides(below, bl, br);
            const uint64_t ac = above[k], bc = below[k];
            // Two-bit sums of the rows above and below, one of the own row.
            const uint64_t a0 = al ^ ac ^ ar, a1 = (al & ac) | (al & ar) | (ac & ar);
            const uint64_t b0 = bl ^ bc ^ br, b1 = (bl & bc) | (bl & br) | (bc & br);
            const uint64_t m0 = ml ^ mr, m1 = ml & mr;
            // Ones column.
            const uint64_t s0 = a0 ^ b0 ^ m0;
            const uint64_t c0 = (a0 & b0) | (a0 & m0) | (b0 & m0);
            // Twos column: a1 + b1 + m1 + c0.
            const uint64_t x = a1 ^ b1, y = m1 ^ c0;
            const uint64_t s1 = x ^ y;
            const uint64_t fourOrMore = (a1 & b1) | (m1 & c0) | (x & y);
            target[k] = s1 & ~fourOrMore & (s0 | middle[k]);
        }
        target[words - 1] &= m_lastMask;
    }
}

void LifeBoard::forEachDifference(
    const LifeBoard& other, const std::function<void(int, int, bool)>& visit) const
{
    if (other.m_rows != m_rows || other.m_columns != m_columns)
        return;
    for (int r = 0; r < m_rows; ++r) {
        const uint64_t* mine = row(r);
        const uint64_t* theirs = other.row(r);
        for (int k = 0; k < m_words; ++k) {
            for (uint64_t changed = mine[k] ^ theirs[k]; changed != 0; changed &= changed - 1) {
                const int column = k * 64 + std::countr_zero(changed);
                visit(r, column, (mine[k] >> (column % 64)) & 1);
            }
        }
    }
}

std::string LifeBoard::toText() const
{
    std::string text;
    text.reserve(static_cast<std::size_t>(m_rows) * (static_cast<std::size_t>(m_columns) + 1));
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c)
            text += alive(r, c) ? 'O' : '.';
        text += '\n';
    }
    return text;
}

std::optional<LifeBoard> LifeBoard::fromText(std::string_view text, std::string* error)
{
    const auto fail = [error](std::string message) -> std::optional<LifeBoard> {
        if (error)
            *error = std::move(message);
        return std::nullopt;
    };
    // First pass: the board lines and the longest of them.
    std::vector<std::string_view> lines;
    std::size_t width = 0;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == '!')
            continue;
        const std::size_t bad = line.find_first_not_of(".O");
        if (bad != std::string_view::npos)
            return fail("line " + std::to_string(lineNumber) + ", column " + std::to_string(bad + 1)
                + ": not \".\" or \"O\"");
        width = std::max(width, line.size());
        lines.push_back(line);
        // Checked as it grows, so that a long run of empty lines under a wide
        // one cannot ask for a huge board.
        if (width != 0 && lines.size() > MaxTextCells / width)
            return fail("board larger than " + std::to_string(MaxTextCells) + " cells");
    }
    if (width == 0)
        return LifeBoard();
    LifeBoard board(static_cast<int>(lines.size()), static_cast<int>(width));
    for (std::size_t r = 0; r < lines.size(); ++r)
        for (std::size_t c = 0; c < lines[r].size(); ++c)
            if (lines[r][c] == 'O')
                board.set(static_cast<int>(r), static_cast<int>(c), true);
    return board;
}

} // namespace ov
