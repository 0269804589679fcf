// The rules of the Tetris window without the window: the 23 x 12 board of
// colour codes, the seven pieces, placing, the tick, the keys, scores,
// levels and tick intervals, and the copy of what is on the screen so that
// painting touches only the cells that differ.
//
// Rows and columns are 1-based as the window numbers them (row 1 at the
// top); a piece cell (i, j) of the 4 x 4 matrix, also 1-based, covers board
// row RowOffset + i, column ColOffset + j. Every read and write of the board
// is checked against its bounds: a cell outside the board counts as occupied
// and is never written.
//
// Left out: the timer, the buttons and the drawing. TimerEnabled,
// StartEnabled and PauseEnabled record what the window shows; Tick does
// nothing while the timer is stopped.
#pragma once

#include "tools/game_rng.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ov {

class TTetrisGame {
public:
    static constexpr int Rows = 23;
    static constexpr int Columns = 12;
    static constexpr int PieceTypes = 7;
    // The interval the set-up gives the timer, and the shortest one.
    static constexpr int SetUpInterval = 550;
    static constexpr int ShortestInterval = 110;

    enum class Move { Fall, Left, Right };
    enum class Key { Drop, Left, Right, Rotate };

    // rng must outlive the game.
    explicit TTetrisGame(Rng& rng);

    // Colour codes, 0 empty; Board[row - 1][column - 1].
    uint8_t Board[Rows][Columns] {};
    // What the screen shows; 255 forces a cell to be painted.
    uint8_t Screen[Rows][Columns] {};

    // The falling piece.
    int PieceType = 0;
    int PieceColor = 1;
    int ColOffset = 5;
    int RowOffset = 0;
    int Rotation = 3;
    uint8_t Matrix[4][4] {};
    // The piece shown in the preview.
    int NextType = 0;
    int NextColor = 1;

    int Level = 1;
    int Score = 0;
    int Interval = SetUpInterval;
    bool Falling = false;
    bool Ticking = false;
    bool InKey = false;
    bool TimerEnabled = false;
    bool StartEnabled = true;
    bool PauseEnabled = false;

    // A cell to draw (1-based row and column, colour code).
    std::function<void(int row, int column, uint8_t code)> OnPaintCell;
    // The game is over; called before the board is cleared. Afterwards no
    // piece is falling.
    std::function<void()> OnGameOver;

    // Whether the spawn shape of a type has a cell at (row, column), 0-based;
    // and the type's landing score.
    static bool ShapeCell(int type, int row, int column);
    static int LandingScore(int type);
    // The level a score reaches from level (levels never fall), and the
    // tick interval of a level.
    static int LevelForScore(int score, int level);
    static int IntervalForLevel(int level);

    // Largest 1-based column and row of the matrix holding a cell.
    int Width() const;
    int Height() const;

    // The window is shown for the first time: full redraw forced, level 1,
    // score 0, interval 550, the flags cleared, a new next piece. The board
    // is kept.
    void SetUp();
    // "&Start": the timer runs; Start and Pause swap their enabled state.
    void Start();
    // "&Pause": the timer stops or runs again.
    void Pause();
    // The window closes: timer stopped, buttons reset, the piece erased,
    // level 1, score 0, the board cleared and painted.
    void Close();
    // One timer tick; ignored while the timer is stopped or a tick runs.
    void Tick();
    // A key other than Esc; ignored unless the timer runs, a piece is
    // falling and no other key is being handled.
    void Press(Key key);

    // Paints every cell where Board differs from Screen.
    void Repaint();
    void ForceFullRedraw();
    // Cells painted since the count was last reset.
    int PaintedCells = 0;

    // The board as 23 lines of 12 characters, "." or the colour code.
    std::string BoardText() const;

private:
    // The matrix for PieceType turned (Rotation + 1) times clockwise, in
    // PieceColor, moved to its top-left corner.
    void build();
    bool fits() const;
    void write();
    void erase();
    // Places the piece after a move; on failure the move is undone and
    // nothing is written.
    bool place(Move move);
    void spawn();
    void land();
    void removeFullRows();
    void gameOver();

    Rng& m_rng;
};

} // namespace ov
