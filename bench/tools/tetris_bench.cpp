// A Tetris timer tick with its repaint of the changed cells, against a full
// repaint of the board, both into the window's canvas in the same run.
//
//   tetris_tick: ratio of the two; the goal is 0.25 or less.
//   tetris_tick_us: the time of one tick in microseconds (goal: under 1000).
//
// The game plays itself with ticks only: pieces fall and land until the
// board is full, then it starts again.
#include "bench/ratio.h"
#include "platform/ini_file.h"
#include "tools/tetris_window.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace ov;

namespace {

std::unique_ptr<TTetro1> makeWindow(const IniFile& language, Rng& rng)
{
    auto window = std::make_unique<TTetro1>(language, "ENGLISH", &rng);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    window->Game().OnGameOver = nullptr;
    // No event loop runs: the ticks below are the only ones.
    window->BStartClick();
    return window;
}

void BM_TetrisTick(benchmark::State& state)
{
    const IniFile language("");
    MtRng rng(7);
    auto window = makeWindow(language, rng);
    TTetrisGame& game = window->Game();
    const auto start = std::chrono::steady_clock::now();
    long ticks = 0;
    for (auto _ : state) {
        game.Tick();
        if (!game.TimerEnabled)
            game.Start();
        ++ticks;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char note[96];
    std::snprintf(note, sizeof note, "tetris_tick_us: %.2f (one tick with its repaint)",
        ticks ? seconds * 1e6 / static_cast<double>(ticks) : 0.0);
    auto& notes = ovBenchNotes();
    notes.clear();
    notes.push_back(note);
}
BENCHMARK(BM_TetrisTick);

void BM_TetrisFullRepaint(benchmark::State& state)
{
    const IniFile language("");
    MtRng rng(7);
    auto window = makeWindow(language, rng);
    TTetrisGame& game = window->Game();
    for (int i = 0; i < 40; ++i)
        game.Tick();
    for (auto _ : state) {
        game.ForceFullRedraw();
        game.Repaint();
    }
}
BENCHMARK(BM_TetrisFullRepaint);

const bool ratios = [] {
    ovBenchRatio("tetris_tick", "BM_TetrisTick", "BM_TetrisFullRepaint", "full repaint of the 23 x 12 board");
    return true;
}();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return ovBenchMain(argc, argv);
}
