// One Life generation of a 1000 x 1000 random board (a quarter alive), the
// board's word-parallel step against the plain step with eight
// bounds-checked neighbour reads per cell, same board, same run.
//
//   life_step: ratio of the two; the goal is 0.2 or less.
#include "bench/ratio.h"
#include "tests/tools/life_reference.h"
#include "tools/life_board.h"

#include <random>

using namespace ov;

namespace {

constexpr int Side = 1000;

const LifeBoard& randomBoard()
{
    static const LifeBoard board = [] {
        LifeBoard b(Side, Side);
        std::mt19937 random(2024);
        for (int r = 0; r < Side; ++r)
            for (int c = 0; c < Side; ++c)
                b.set(r, c, random() % 4 == 0);
        return b;
    }();
    return board;
}

void BM_LifeStep(benchmark::State& state)
{
    const LifeBoard& board = randomBoard();
    LifeBoard next;
    for (auto _ : state) {
        board.nextInto(next);
        benchmark::DoNotOptimize(next);
    }
}
BENCHMARK(BM_LifeStep)->Unit(benchmark::kMillisecond);

void BM_LifePlainStep(benchmark::State& state)
{
    const LifeBoard& board = randomBoard();
    test::PlainLife plain(Side, Side);
    for (int r = 0; r < Side; ++r)
        for (int c = 0; c < Side; ++c)
            plain.cells[static_cast<std::size_t>(r) * Side + c] = board.alive(r, c) ? 1 : 0;
    test::PlainLife next(Side, Side);
    for (auto _ : state) {
        plain.stepInto(next);
        benchmark::DoNotOptimize(next.cells.data());
    }
}
BENCHMARK(BM_LifePlainStep)->Unit(benchmark::kMillisecond);

const bool ratios = [] {
    ovBenchRatio("life_step", "BM_LifeStep", "BM_LifePlainStep", "plain per-cell step, 1000 x 1000 board");
    return true;
}();

} // namespace

OV_BENCH_MAIN()
