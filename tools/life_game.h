// The rules of the Life window without the window: a 48 x 48 board that does
// not wrap, the step counter and caption, the commands of the Game menu and
// the toggling of a clicked cell. Every change reports the cells to repaint
// through OnPaintCell, and only the cells whose state changed.
//
// Left out: the timer and the drawing, which belong to the window; Running
// only records whether the window's timer should run.
#pragma once

#include "tools/game_rng.h"
#include "tools/life_board.h"

#include <functional>
#include <string>

namespace ov {

class TLifeGame {
public:
    static constexpr int BoardSize = 48;
    // Generate makes a cell alive when a draw of 0..99 is below this.
    static constexpr int AlivePercent = 25;

    // rng must outlive the game.
    explicit TLifeGame(Rng& rng);

    // What is shown, and the generation being built.
    LifeBoard Current;
    LifeBoard Next;
    int Steps = 0;
    // "Step" until the language file says otherwise.
    std::string StepWord = "Step";
    // The window caption: the window's name at first, then
    // StepWord + " - " + Steps after each step, empty after ResetSteps.
    std::string Caption;
    bool Running = false;

    // A cell to draw: row and column 0-based, alive or dead.
    std::function<void(int row, int column, bool alive)> OnPaintCell;

    // One generation: counter + 1, caption, next board, repaint of the
    // changed cells, next becomes current.
    void Step();
    // Every cell alive with a chance of 25 in 100, all cells repainted; the
    // counter is kept.
    void Generate();
    void Run() { Running = true; }
    void Stop() { Running = false; }
    // Stop, then every cell dead (only the living ones are repainted).
    void Clear();
    // Stop, then one step.
    void OneStep();
    // Counter 0, empty caption.
    void ResetSteps();
    // A click on a cell: it takes the other state and is repainted.
    // Ignored outside the board.
    void Toggle(int row, int column);

private:
    // Paints the cells where Next differs from Current, then copies.
    void showNext();

    Rng& m_rng;
};

} // namespace ov
