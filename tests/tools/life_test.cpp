// The Life board's generations against hand-checked patterns and against the
// plain reference step, its text form, the rules of the Life window without
// the window, and ovtool life.
#include "tests/support/temp_folder.h"
#include "tests/tools/life_reference.h"
#include "tools/life_board.h"
#include "tools/life_game.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace ov {
namespace {

LifeBoard board(const std::string& text)
{
    std::string error;
    auto parsed = LifeBoard::fromText(text, &error);
    EXPECT_TRUE(parsed) << error;
    return parsed ? *parsed : LifeBoard();
}

LifeBoard after(LifeBoard start, int steps)
{
    for (int i = 0; i < steps; ++i)
        start = start.next();
    return start;
}

test::PlainLife toPlain(const LifeBoard& from)
{
    test::PlainLife plain(from.rows(), from.columns());
    for (int r = 0; r < from.rows(); ++r)
        for (int c = 0; c < from.columns(); ++c)
            plain.cells[static_cast<std::size_t>(r) * from.columns() + c] = from.alive(r, c) ? 1 : 0;
    return plain;
}

struct PatternCase {
    const char* name;
    const char* start;
    int steps;
    const char* expected;
};

// Each expected board was worked out by hand from the rules.
const PatternCase patternCases[] = {
    { "blinker turns upright", ".....\n.....\n.OOO.\n.....\n.....\n", 1,
        ".....\n..O..\n..O..\n..O..\n.....\n" },
    { "blinker lies down again", ".....\n.....\n.OOO.\n.....\n.....\n", 2,
        ".....\n.....\n.OOO.\n.....\n.....\n" },
    // Against a wall the blinker's upright phase loses the cell that would be
    // outside; what is left dies.
    { "blinker on the top edge dies", ".OOO.\n.....\n.....\n", 1, "..O..\n..O..\n.....\n" },
    { "blinker on the top edge, two steps", ".OOO.\n.....\n.....\n", 2, ".....\n.....\n.....\n" },
    { "corner block stays", "OO..\nOO..\n....\n", 5, "OO..\nOO..\n....\n" },
    { "far corner block stays", "....\n..OO\n..OO\n", 3, "....\n..OO\n..OO\n" },
    { "lone cell dies", "...\n.O.\n...\n", 1, "...\n...\n...\n" },
    { "three in an L make a block", "OO\nO.\n", 1, "OO\nOO\n" },
    // A glider moves one cell down and one right every four steps.
    { "glider travels", ".O....\n..O...\nOOO...\n......\n......\n......\n", 4,
        "......\n..O...\n...O..\n.OOO..\n......\n......\n" },
    // In the bottom-right corner it cannot leave and does not come back at
    // the top: it settles as a block.
    { "glider breaks up at the edge", ".O....\n..O...\nOOO...\n......\n......\n......\n", 16,
        "......\n......\n......\n......\n....OO\n....OO\n" },
};

TEST(LifeBoard, PatternsStepAsWorkedOut)
{
    for (const auto& row : patternCases) {
        SCOPED_TRACE(row.name);
        const LifeBoard start = board(row.start);
        EXPECT_EQ(after(start, row.steps).toText(), row.expected);
    }
}

TEST(LifeBoard, FastStepEqualsPlainStepOnRandomBoardsOfOddSizes)
{
    // Sizes around the 64-cell words: one word, a word and a bit, narrow
    // and tall boards, and single rows and columns.
    const std::pair<int, int> sizes[] = { { 1, 1 }, { 1, 65 }, { 65, 1 }, { 3, 63 }, { 5, 64 }, { 7, 65 },
        { 33, 127 }, { 61, 129 }, { 17, 200 }, { 2, 2 }, { 99, 31 } };
    std::mt19937 random(12345);
    for (const auto& [rows, columns] : sizes) {
        for (const int percent : { 10, 37, 60 }) {
            SCOPED_TRACE(
                std::to_string(rows) + " x " + std::to_string(columns) + " at " + std::to_string(percent));
            LifeBoard fast(rows, columns);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < columns; ++c)
                    fast.set(r, c, static_cast<int>(random() % 100) < percent);
            test::PlainLife plain = toPlain(fast);
            test::PlainLife plainNext(rows, columns);
            LifeBoard fastNext;
            for (int step = 0; step < 12; ++step) {
                fast.nextInto(fastNext);
                std::swap(fast, fastNext);
                plain.stepInto(plainNext);
                std::swap(plain, plainNext);
                ASSERT_EQ(toPlain(fast).cells, plain.cells) << "step " << step + 1;
            }
        }
    }
}

TEST(LifeBoard, CellsOutsideTheBoardAreDeadAndIgnored)
{
    LifeBoard b(3, 70);
    b.set(-1, 0, true);
    b.set(0, 70, true);
    b.set(3, 5, true);
    EXPECT_EQ(b.population(), 0u);
    b.set(2, 69, true);
    EXPECT_TRUE(b.alive(2, 69));
    EXPECT_FALSE(b.alive(2, 70));
    EXPECT_FALSE(b.alive(-1, 69));
    std::set<std::pair<int, int>> seen;
    b.forEachDifference(LifeBoard(3, 70), [&seen](int r, int c, bool alive) {
        EXPECT_TRUE(alive);
        seen.insert({ r, c });
    });
    EXPECT_EQ(seen, (std::set<std::pair<int, int>> { { 2, 69 } }));
}

TEST(LifeBoard, TextFormReadsCommentsShortLinesAndCrLf)
{
    const LifeBoard b = board("!Name: test\r\n.O\r\nOOO.\r\n\r\n!end\r\n");
    EXPECT_EQ(b.rows(), 3);
    EXPECT_EQ(b.columns(), 4);
    EXPECT_EQ(b.toText(), ".O..\nOOO.\n....\n");
    EXPECT_EQ(board("").rows(), 0);
    EXPECT_EQ(board("!only a comment\n").rows(), 0);
}

TEST(LifeBoard, TextFormRefusesOtherCharactersAndHugeBoards)
{
    std::string error;
    EXPECT_FALSE(LifeBoard::fromText("..\n.*\n", &error));
    EXPECT_EQ(error, "line 2, column 2: not \".\" or \"O\"");
    EXPECT_FALSE(LifeBoard::fromText("o\n", &error));
    // A wide line over many empty ones would describe 2^30 cells.
    const std::string wide = std::string(1 << 15, 'O') + std::string(1 << 15, '\n');
    EXPECT_FALSE(LifeBoard::fromText(wide, &error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
}

// Answers the draws in order, then 99 (a dead cell).
class ScriptedRng : public Rng {
public:
    std::deque<int> values;
    int draws = 0;
    int next(int n) override
    {
        ++draws;
        EXPECT_EQ(n, 100);
        if (values.empty())
            return 99;
        const int value = values.front();
        values.pop_front();
        return value;
    }
};

struct PaintRecorder {
    std::vector<std::tuple<int, int, bool>> cells;
    std::function<void(int, int, bool)> hook()
    {
        return [this](int r, int c, bool alive) { cells.emplace_back(r, c, alive); };
    }
};

TEST(LifeGame, GenerateDrawsEveryCellAndRepaintsThemAll)
{
    ScriptedRng rng;
    // Row-major draws: 24 and 0 are below 25 (alive), 25 is not.
    rng.values = { 24, 25, 0, 99 };
    TLifeGame game(rng);
    PaintRecorder painted;
    game.OnPaintCell = painted.hook();
    game.Steps = 7;
    game.Generate();
    EXPECT_EQ(rng.draws, 48 * 48);
    EXPECT_EQ(painted.cells.size(), 48u * 48u);
    EXPECT_TRUE(game.Current.alive(0, 0));
    EXPECT_FALSE(game.Current.alive(0, 1));
    EXPECT_TRUE(game.Current.alive(0, 2));
    EXPECT_EQ(game.Current.population(), 2u);
    EXPECT_EQ(game.Current, game.Next);
    EXPECT_EQ(game.Steps, 7);
}

TEST(LifeGame, StepsCountInTheCaptionAndRepaintOnlyChangedCells)
{
    ScriptedRng rng;
    TLifeGame game(rng);
    game.Caption = "Life";
    PaintRecorder painted;
    game.OnPaintCell = painted.hook();
    // A blinker: each step two cells die and two are born.
    for (int c = 10; c < 13; ++c)
        game.Toggle(20, c);
    ASSERT_EQ(painted.cells.size(), 3u);
    painted.cells.clear();
    game.Step();
    EXPECT_EQ(painted.cells.size(), 4u);
    EXPECT_EQ(game.Caption, "Step - 1");
    game.StepWord = "Krok";
    game.Step();
    game.Step();
    EXPECT_EQ(game.Caption, "Krok - 3");
    EXPECT_EQ(painted.cells.size(), 12u);
    EXPECT_TRUE(game.Current.alive(19, 11));
    EXPECT_TRUE(game.Current.alive(21, 11));
    game.ResetSteps();
    EXPECT_EQ(game.Caption, "");
    EXPECT_EQ(game.Steps, 0);
    game.Step();
    EXPECT_EQ(game.Caption, "Krok - 1");
}

TEST(LifeGame, TogglingTwiceRestoresTheCellAndPaintsItEachTime)
{
    ScriptedRng rng;
    TLifeGame game(rng);
    PaintRecorder painted;
    game.OnPaintCell = painted.hook();
    game.Toggle(47, 0);
    EXPECT_TRUE(game.Current.alive(47, 0));
    game.Toggle(47, 0);
    EXPECT_FALSE(game.Current.alive(47, 0));
    game.Toggle(48, 0);
    game.Toggle(0, -1);
    const std::vector<std::tuple<int, int, bool>> expected { { 47, 0, true }, { 47, 0, false } };
    EXPECT_EQ(painted.cells, expected);
}

TEST(LifeGame, ClearAndOneStepStopTheRun)
{
    ScriptedRng rng;
    TLifeGame game(rng);
    PaintRecorder painted;
    game.OnPaintCell = painted.hook();
    game.Toggle(0, 0);
    game.Toggle(5, 5);
    game.Run();
    ASSERT_TRUE(game.Running);
    painted.cells.clear();
    game.Clear();
    EXPECT_FALSE(game.Running);
    EXPECT_EQ(game.Current.population(), 0u);
    EXPECT_EQ(painted.cells.size(), 2u);
    game.Run();
    game.OneStep();
    EXPECT_FALSE(game.Running);
    EXPECT_EQ(game.Steps, 1);
}

// ovtool life

const std::string tool = OV_BINARY_DIR "/cli/ovtool";

std::string run(const std::string& arguments, int& status)
{
    std::string output;
    FILE* pipe = ::popen((tool + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    status = ::pclose(pipe);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

class LifeTool : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(tool) && std::getenv("CI"))
            FAIL() << "ovtool is not built";
        if (!std::filesystem::exists(tool))
            GTEST_SKIP() << "ovtool is not built";
    }
    test::TempFolder folder;
};

TEST_F(LifeTool, GliderAndSoupMatchTheReference)
{
    int status = -1;
    const std::string glider = folder.write("glider.cells", "!Glider\n.O\n..O\nOOO\n......\n\n\n");
    EXPECT_EQ(run("life --steps 4 " + glider, status), "......\n..O...\n...O..\n.OOO..\n......\n......\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("life --steps 16 " + glider, status), "......\n......\n......\n......\n....OO\n....OO\n");

    // A random soup of 41 x 77, 30 steps, against the plain step.
    std::mt19937 random(7);
    test::PlainLife plain(41, 77);
    std::string text = "! soup\n";
    for (int r = 0; r < 41; ++r) {
        for (int c = 0; c < 77; ++c) {
            const bool alive = random() % 3 == 0;
            plain.cells[static_cast<std::size_t>(r) * 77 + c] = alive;
            text += alive ? 'O' : '.';
        }
        text += '\n';
    }
    test::PlainLife next(41, 77);
    for (int i = 0; i < 30; ++i) {
        plain.stepInto(next);
        std::swap(plain, next);
    }
    std::string expected;
    for (int r = 0; r < 41; ++r) {
        for (int c = 0; c < 77; ++c)
            expected += plain.at(r, c) ? 'O' : '.';
        expected += '\n';
    }
    EXPECT_EQ(run("life --steps 30 " + folder.write("soup.cells", text), status), expected);
    EXPECT_EQ(status, 0);
}

TEST_F(LifeTool, BadInputFails)
{
    int status = -1;
    const std::string output = run("life " + folder.write("bad.cells", "..\nx.\n"), status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("line 2, column 1"), std::string::npos) << output;
    run("life " + folder / "missing.cells", status);
    EXPECT_EQ(status, 1);
    run("life --steps -3 x", status);
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace ov
