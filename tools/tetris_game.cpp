#include "tools/tetris_game.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ov {

namespace {

// Spawn shapes, rows from the top; T, L, J, Z, S, I, O.
const char* const shapes[TTetrisGame::PieceTypes][4] = {
    { ".#..", "###.", "....", "...." },
    { "###.", "#...", "....", "...." },
    { "###.", "..#.", "....", "...." },
    { "##..", ".##.", "....", "...." },
    { ".##.", "##..", "....", "...." },
    { "####", "....", "....", "...." },
    { "##..", "##..", "....", "...." },
};
const int landingScores[TTetrisGame::PieceTypes] = { 10, 30, 30, 25, 25, 15, 20 };

// Scores a level needs to be passed (strictly) for levels 2 to 7.
const int levelScores[] = { 500, 1000, 1700, 3000, 6000, 8000 };

} // namespace

TTetrisGame::TTetrisGame(Rng& rng)
    : m_rng(rng)
{
    ForceFullRedraw();
}

bool TTetrisGame::ShapeCell(int type, int row, int column)
{
    if (type < 0 || type >= PieceTypes || row < 0 || row > 3 || column < 0 || column > 3)
        return false;
    return shapes[type][row][column] == '#';
}

int TTetrisGame::LandingScore(int type)
{
    return type >= 0 && type < PieceTypes ? landingScores[type] : 0;
}

int TTetrisGame::LevelForScore(int score, int level)
{
    for (int i = 5; i >= 0; --i)
        if (score > levelScores[i])
            return std::max(level, i + 2);
    return level;
}

int TTetrisGame::IntervalForLevel(int level)
{
    // round((7.1 - level) * 100) in integers.
    return std::max(ShortestInterval, 710 - 100 * level);
}

int TTetrisGame::Width() const
{
    int width = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (Matrix[i][j])
                width = std::max(width, j + 1);
    return width;
}

int TTetrisGame::Height() const
{
    int height = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (Matrix[i][j])
                height = std::max(height, i + 1);
    return height;
}

void TTetrisGame::build()
{
    uint8_t cells[4][4] {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            cells[i][j] = shapes[PieceType][i][j] == '#' ? 1 : 0;
    // Turned (Rotation + 1) times clockwise: new[r][c] = old[3 - c][r].
    for (int turn = 0; turn < Rotation + 1; ++turn) {
        uint8_t turned[4][4];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                turned[r][c] = cells[3 - c][r];
        std::memcpy(cells, turned, sizeof cells);
    }
    // Up while the top row is empty, left while the left column is.
    for (int moves = 0; moves < 3 && !(cells[0][0] | cells[0][1] | cells[0][2] | cells[0][3]); ++moves) {
        std::memmove(cells[0], cells[1], sizeof cells[0] * 3);
        std::memset(cells[3], 0, sizeof cells[3]);
    }
    for (int moves = 0; moves < 3 && !(cells[0][0] | cells[1][0] | cells[2][0] | cells[3][0]); ++moves) {
        for (auto& row : cells) {
            std::memmove(row, row + 1, 3);
            row[3] = 0;
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            Matrix[i][j] = cells[i][j] ? static_cast<uint8_t>(PieceColor) : 0;
}

bool TTetrisGame::fits() const
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (!Matrix[i][j])
                continue;
            const int row = RowOffset + i + 1, column = ColOffset + j + 1;
            if (row < 1 || row > Rows || column < 1 || column > Columns || Board[row - 1][column - 1])
                return false;
        }
    }
    return true;
}

void TTetrisGame::write()
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const int row = RowOffset + i + 1, column = ColOffset + j + 1;
            if (Matrix[i][j] && row >= 1 && row <= Rows && column >= 1 && column <= Columns)
                Board[row - 1][column - 1] = Matrix[i][j];
        }
    }
}

void TTetrisGame::erase()
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const int row = RowOffset + i + 1, column = ColOffset + j + 1;
            if (Matrix[i][j] && row >= 1 && row <= Rows && column >= 1 && column <= Columns)
                Board[row - 1][column - 1] = 0;
        }
    }
}

bool TTetrisGame::place(Move move)
{
    if (move == Move::Fall) {
        if (Height() + RowOffset >= Rows + 1) {
            --RowOffset;
            return false;
        }
        while (Width() + ColOffset > Columns)
            --ColOffset;
    }
    if (!fits()) {
        switch (move) {
        case Move::Fall:
            --RowOffset;
            break;
        case Move::Left:
            ++ColOffset;
            break;
        case Move::Right:
            --ColOffset;
            break;
        }
        return false;
    }
    write();
    return true;
}

void TTetrisGame::spawn()
{
    PieceType = NextType;
    PieceColor = NextColor;
    ColOffset = 5;
    RowOffset = 0;
    Rotation = 3;
    build();
    // The type is drawn before the colour.
    NextType = m_rng.next(PieceTypes);
    NextColor = 1 + m_rng.next(7);
}

void TTetrisGame::land()
{
    Score += LandingScore(PieceType);
    Level = LevelForScore(Score, Level);
    Interval = IntervalForLevel(Level);
    Falling = false;
}

void TTetrisGame::removeFullRows()
{
    for (int row = Rows - 1; row >= 0;) {
        const bool full
            = std::all_of(Board[row], Board[row] + Columns, [](uint8_t cell) { return cell != 0; });
        if (!full) {
            --row;
            continue;
        }
        // The rows above move down by one and the top row becomes empty; the
        // same row is looked at again, since it now holds the one above.
        std::memmove(Board[1], Board[0], sizeof Board[0] * static_cast<std::size_t>(row));
        std::memset(Board[0], 0, sizeof Board[0]);
    }
}

void TTetrisGame::gameOver()
{
    if (OnGameOver)
        OnGameOver();
    TimerEnabled = false;
    StartEnabled = true;
    PauseEnabled = false;
    Level = 1;
    Score = 0;
    // The piece that did not fit is dropped with the board: the next Start
    // spawns a new one at the top.
    Falling = false;
    std::memset(Board, 0, sizeof Board);
    ForceFullRedraw();
    Repaint();
}

void TTetrisGame::SetUp()
{
    ForceFullRedraw();
    Level = 1;
    Score = 0;
    Interval = SetUpInterval;
    Falling = Ticking = InKey = false;
    NextType = m_rng.next(PieceTypes);
    NextColor = 1 + m_rng.next(7);
    Repaint();
}

void TTetrisGame::Start()
{
    TimerEnabled = true;
    std::swap(StartEnabled, PauseEnabled);
}

void TTetrisGame::Pause()
{
    TimerEnabled = !TimerEnabled;
}

void TTetrisGame::Close()
{
    TimerEnabled = false;
    StartEnabled = true;
    PauseEnabled = false;
    erase();
    Falling = false;
    Level = 1;
    Score = 0;
    std::memset(Board, 0, sizeof Board);
    Repaint();
}

void TTetrisGame::Tick()
{
    if (Ticking || !TimerEnabled)
        return;
    Ticking = true;
    if (Falling) {
        erase();
        ++RowOffset;
        if (!place(Move::Fall)) {
            // Landed: it stays drawn where it was.
            write();
            land();
        }
    } else {
        spawn();
        if (!place(Move::Fall)) {
            gameOver();
            Ticking = false;
            return;
        }
        Falling = true;
    }
    // Full rows go; rows a landing piece filled stay until the next tick,
    // since the piece is lifted off the board while they are looked for.
    const bool wasFalling = Falling;
    erase();
    removeFullRows();
    if (!place(Move::Fall)) {
        gameOver();
        Ticking = false;
        return;
    }
    Falling = wasFalling;
    Repaint();
    Ticking = false;
}

void TTetrisGame::Press(Key key)
{
    if (!TimerEnabled || !Falling || InKey)
        return;
    InKey = true;
    switch (key) {
    case Key::Drop: {
        bool moved = false;
        for (;;) {
            erase();
            ++RowOffset;
            if (!place(Move::Fall)) {
                write();
                break;
            }
            moved = true;
        }
        if (moved)
            Score += 5;
        break;
    }
    case Key::Left:
        if (ColOffset > 0) {
            erase();
            --ColOffset;
            if (!place(Move::Left))
                write();
        }
        break;
    case Key::Right:
        if (Width() + ColOffset <= Columns - 1) {
            erase();
            ++ColOffset;
            if (!place(Move::Right))
                write();
        }
        break;
    case Key::Rotate: {
        const int rotation = Rotation, row = RowOffset, column = ColOffset;
        uint8_t matrix[4][4];
        std::memcpy(matrix, Matrix, sizeof matrix);
        erase();
        Rotation = Rotation == 0 ? 3 : Rotation - 1;
        build();
        if (!place(Move::Fall)) {
            Rotation = rotation;
            RowOffset = row;
            ColOffset = column;
            std::memcpy(Matrix, matrix, sizeof matrix);
            write();
        }
        break;
    }
    }
    Repaint();
    InKey = false;
}

void TTetrisGame::Repaint()
{
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            if (Board[r][c] == Screen[r][c])
                continue;
            Screen[r][c] = Board[r][c];
            ++PaintedCells;
            if (OnPaintCell)
                OnPaintCell(r + 1, c + 1, Board[r][c]);
        }
    }
}

void TTetrisGame::ForceFullRedraw()
{
    std::memset(Screen, 255, sizeof Screen);
}

std::string TTetrisGame::BoardText() const
{
    std::string text;
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c)
            text += Board[r][c] ? static_cast<char>('0' + Board[r][c]) : '.';
        text += '\n';
    }
    return text;
}

} // namespace ov
