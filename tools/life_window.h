// The Life window: a menu "Game" over a 48 x 48 grid of 8-pixel cells, a
// 200 ms timer that steps the board while it runs, and a click that toggles
// a cell. The rules live in TLifeGame; the grid paints only the cells the
// game reports changed into its backing canvas, which also restores the
// picture when the window is uncovered.
#pragma once

#include "platform/canvas.h"
#include "tools/game_rng.h"
#include "tools/life_game.h"

#include <QMainWindow>
#include <QWidget>

#include <memory>

class QAction;
class QTimer;

namespace ov {

class IniFile;

// The grid control: draws cells into its canvas and reports clicks.
class TLifeGrid : public QWidget {
public:
    static constexpr int CellSize = 8;

    explicit TLifeGrid(QWidget* parent = nullptr);

    void PaintCell(int row, int column, bool alive);
    const TCanvas& Canvas() const { return m_canvas; }
    // Cells drawn since the count was last reset (tests, benchmarks).
    int PaintedCells = 0;
    // A press and a release on the same cell.
    std::function<void(int row, int column)> OnCellClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TCanvas m_canvas;
    int m_pressRow = -1;
    int m_pressColumn = -1;
};

class TFormLife : public QMainWindow {
public:
    // Texts come from section "Life" of language; rng (kept by the caller)
    // replaces the seeded generator.
    explicit TFormLife(const IniFile& language, Rng* rng = nullptr, QWidget* parent = nullptr);
    ~TFormLife() override;

    TLifeGame& Game() { return *m_game; }
    TLifeGrid* DrawGrid1 = nullptr;
    QTimer* Timer1 = nullptr;
    QAction* Generate1 = nullptr;
    QAction* Run1 = nullptr;
    QAction* Stop1 = nullptr;
    QAction* Clear1 = nullptr;
    QAction* OneStep1 = nullptr;
    QAction* ResetSteps1 = nullptr;
    QAction* Exit1 = nullptr;

    void Generate1Click();
    void Run1Click();
    void Stop1Click();
    void Clear1Click();
    void OneStep1Click();
    void ResetSteps1Click();
    void Exit1Click();
    void Timer1Timer();

private:
    // Timer, menu entries and caption follow the game's state.
    void sync();

    std::unique_ptr<MtRng> m_ownRng;
    std::unique_ptr<TLifeGame> m_game;
};

} // namespace ov
