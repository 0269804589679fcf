#include "tools/life_game.h"

namespace ov {

TLifeGame::TLifeGame(Rng& rng)
    : Current(BoardSize, BoardSize)
    , Next(BoardSize, BoardSize)
    , m_rng(rng)
{
}

void TLifeGame::showNext()
{
    if (OnPaintCell)
        Next.forEachDifference(Current, OnPaintCell);
    Current = Next;
}

void TLifeGame::Step()
{
    ++Steps;
    Caption = StepWord + " - " + std::to_string(Steps);
    Current.nextInto(Next);
    showNext();
}

void TLifeGame::Generate()
{
    // The current board is set to the opposite of each new cell, so that the
    // repaint of differences draws every cell.
    for (int r = 0; r < BoardSize; ++r) {
        for (int c = 0; c < BoardSize; ++c) {
            const bool alive = m_rng.next(100) < AlivePercent;
            Next.set(r, c, alive);
            Current.set(r, c, !alive);
        }
    }
    showNext();
}

void TLifeGame::Clear()
{
    Stop();
    Next.clear();
    showNext();
}

void TLifeGame::OneStep()
{
    Stop();
    Step();
}

void TLifeGame::ResetSteps()
{
    Steps = 0;
    Caption.clear();
}

void TLifeGame::Toggle(int row, int column)
{
    if (row < 0 || row >= BoardSize || column < 0 || column >= BoardSize)
        return;
    Next = Current;
    Next.set(row, column, !Current.alive(row, column));
    showNext();
}

} // namespace ov
