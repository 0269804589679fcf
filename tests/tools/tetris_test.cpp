// The Tetris rules: boards after scripted pieces and keys (placing, landing,
// rows removed, rotation with the wall shift, game over), scores, levels and
// intervals, the set-up and close, the repaint of changed cells, and
// ovtool tetris.
#include "tests/support/temp_folder.h"
#include "tools/tetris_game.h"
#include "tools/tetris_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ov {
namespace {

using Rows = std::vector<std::pair<int, const char*>>;

// 23 lines of 12 cells: the given rows (1-based), the others empty.
std::string boardText(const Rows& rows)
{
    std::vector<std::string> lines(TTetrisGame::Rows, std::string(TTetrisGame::Columns, '.'));
    for (const auto& [row, line] : rows)
        lines[static_cast<std::size_t>(row - 1)] = line;
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

void loadBoard(TTetrisGame& game, const Rows& rows)
{
    const std::string text = boardText(rows);
    for (int r = 0; r < TTetrisGame::Rows; ++r)
        for (int c = 0; c < TTetrisGame::Columns; ++c) {
            const char cell = text[static_cast<std::size_t>(r * (TTetrisGame::Columns + 1) + c)];
            game.Board[r][c] = cell == '.' ? 0 : static_cast<uint8_t>(cell - '0');
        }
}

struct BoardCase {
    const char* name;
    const char* pieces;
    Rows before; // settled cells put on the board after the start
    int score; // score before the keys
    std::string keys;
    Rows after;
    int expectedScore;
    int expectedLevel;
    int expectedInterval;
};

// Colour codes are type + 1: T 1, L 2, J 3, Z 4, S 5, I 6, O 7; 8 marks
// cells put there by the case. A piece spawns at column offset 5: the T's
// cells are row 1 column 7 and row 2 columns 6 to 8.
const BoardCase boardCases[] = {
    { "O hard drop lands on rows 22 and 23 and scores 5", "O", {}, 0, "td",
        { { 22, ".....77....." }, { 23, ".....77....." } }, 5, 1, 550 },
    { "the landing tick adds the O's 20 and sets level 1's interval", "O", {}, 0, "tdt",
        { { 22, ".....77....." }, { 23, ".....77....." } }, 25, 1, 610 },
    { "a second hard drop that cannot move scores nothing", "O", {}, 0, "tdd",
        { { 22, ".....77....." }, { 23, ".....77....." } }, 5, 1, 550 },
    { "a full bottom row stays while its piece lands", "I,I,O,I,T", {}, 0,
        "tllllldt"
        "tldt"
        "tllllldt"
        "trrrdt",
        { { 21, "77.........." }, { 22, "77.........." }, { 23, "666666666666" } }, 85, 1, 610 },
    { "the next tick removes it and the row above moves down", "I,I,O,I,T", {}, 0,
        "tllllldt"
        "tldt"
        "tllllldt"
        "trrrdt"
        "t",
        { { 1, "......1....." }, { 2, ".....111...." }, { 22, "77.........." }, { 23, "77.........." } }, 85,
        1, 610 },
    { "two adjacent full rows go at once", "O",
        { { 21, "8..........." }, { 22, "88888..88888" }, { 23, "88888..88888" } }, 0, "tdtt",
        { { 1, ".....77....." }, { 2, ".....77....." }, { 23, "8..........." } }, 25, 1, 610 },
    { "the top row becomes empty when rows move down", "T", { { 1, "8..........." }, { 23, "888888888888" } },
        0, "t", { { 1, "......1....." }, { 2, "8....111...." } }, 0, 1, 550 },
    { "a blocked left move leaves the piece drawn", "T", { { 2, "....8......." } }, 0, "tl",
        { { 1, "......1....." }, { 2, "....8111...." } }, 0, 1, 550 },
    { "a blocked right move leaves the piece drawn", "T", { { 2, "........8..." } }, 0, "tr",
        { { 1, "......1....." }, { 2, ".....1118..." } }, 0, 1, 550 },
    { "right stops at the wall", "T", {}, 0, "trrrrrrr", { { 1, "..........1." }, { 2, ".........111" } }, 0,
        1, 550 },
    { "left stops at the wall", "O", {}, 0, "tllllllll", { { 1, "77.........." }, { 2, "77.........." } }, 0,
        1, 550 },
    { "up turns the T counter-clockwise", "T", {}, 0, "tu",
        { { 1, "......1....." }, { 2, ".....11....." }, { 3, "......1....." } }, 0, 1, 550 },
    { "four turns bring the spawn orientation back", "T", {}, 0, "tuuuu",
        { { 1, "......1....." }, { 2, ".....111...." } }, 0, 1, 550 },
    { "an I upright at the right wall turns with the wall shift", "I", {}, 0, "turrrrrrttttu",
        { { 5, "........6666" } }, 0, 1, 550 },
    { "an I upright at the right wall fails to turn onto occupied cells", "I", { { 5, ".........8.." } }, 0,
        "turrrrrrttttu",
        { { 5, ".........8.6" }, { 6, "...........6" }, { 7, "...........6" }, { 8, "...........6" } }, 0, 1,
        550 },
    { "an I lying on the floor fails to stand up", "I", {}, 0, "tdu", { { 23, ".....6666..." } }, 5, 1, 550 },
    { "a spawn that does not fit ends the game and clears the board", "T", { { 2, ".......8...." } }, 120,
        "t", {}, 0, 1, 550 },
    { "after the game is over keys and ticks do nothing", "T", { { 2, ".......8...." } }, 0, "tltdut", {}, 0,
        1, 550 },
    { "a piece that cannot be placed after rows moved ends the game", "T",
        { { 1, ".....8......" }, { 23, "888888888888" } }, 60, "t", {}, 0, 1, 550 },
    { "keys and ticks do nothing while paused", "O", {}, 0, "tplllldtt",
        { { 1, ".....77....." }, { 2, ".....77....." } }, 0, 1, 550 },
    { "the game goes on after the pause", "O", {}, 0, "tplllpl",
        { { 1, "....77......" }, { 2, "....77......" } }, 0, 1, 550 },
    { "495 and a landing Z make 520 and level 2", "Z", {}, 495, std::string(23, 't'),
        { { 22, ".....44....." }, { 23, "......44...." } }, 520, 2, 510 },
    { "above 8000 the level is 7 and the tick 110 ms", "O", {}, 8000, "tdt",
        { { 22, ".....77....." }, { 23, ".....77....." } }, 8025, 7, 110 },
};

TEST(TetrisGame, BoardsAfterScriptedPiecesAndKeys)
{
    for (const auto& row : boardCases) {
        SCOPED_TRACE(row.name);
        TetrisPieceRng rng(*parseTetrisPieces(row.pieces));
        TTetrisGame game(rng);
        startTetrisGame(game);
        loadBoard(game, row.before);
        game.Score = row.score;
        ASSERT_TRUE(playTetrisKeys(game, row.keys));
        EXPECT_EQ(game.BoardText(), boardText(row.after));
        EXPECT_EQ(game.Score, row.expectedScore);
        EXPECT_EQ(game.Level, row.expectedLevel);
        EXPECT_EQ(game.Interval, row.expectedInterval);
    }
}

TEST(TetrisGame, LevelsRiseStrictlyAboveTheirScoresAndIntervalsFollow)
{
    const std::pair<int, int> levels[]
        = { { 0, 1 }, { 500, 1 }, { 501, 2 }, { 1000, 2 }, { 1001, 3 }, { 1700, 3 }, { 1701, 4 }, { 3000, 4 },
              { 3001, 5 }, { 6000, 5 }, { 6001, 6 }, { 8000, 6 }, { 8001, 7 }, { 99999, 7 } };
    for (const auto& [score, level] : levels)
        EXPECT_EQ(TTetrisGame::LevelForScore(score, 1), level) << score;
    // A level reached is kept.
    EXPECT_EQ(TTetrisGame::LevelForScore(0, 4), 4);
    const int intervals[] = { 610, 510, 410, 310, 210, 110, 110 };
    for (int level = 1; level <= 7; ++level)
        EXPECT_EQ(TTetrisGame::IntervalForLevel(level), intervals[level - 1]) << level;
}

// Answers the draws in order.
class ScriptedRng : public Rng {
public:
    std::deque<int> values;
    std::vector<int> asked;
    int next(int n) override
    {
        asked.push_back(n);
        const int value = values.empty() ? 0 : values.front();
        if (!values.empty())
            values.pop_front();
        return value;
    }
};

TEST(TetrisGame, NextPieceDrawsTypeThenColour)
{
    ScriptedRng rng;
    rng.values = { 3, 5, 6, 0 };
    TTetrisGame game(rng);
    game.SetUp();
    EXPECT_EQ(game.NextType, 3);
    EXPECT_EQ(game.NextColor, 6);
    game.Start();
    game.Tick();
    EXPECT_EQ(game.PieceType, 3);
    EXPECT_EQ(game.PieceColor, 6);
    EXPECT_EQ(game.NextType, 6);
    EXPECT_EQ(game.NextColor, 1);
    EXPECT_EQ(rng.asked, (std::vector<int> { 7, 7, 7, 7 }));
    EXPECT_EQ(game.Width(), 3);
    EXPECT_EQ(game.Height(), 2);
}

struct Snapshot {
    uint8_t board[TTetrisGame::Rows][TTetrisGame::Columns];
    uint8_t matrix[4][4];
    int rotation, row, column;
    explicit Snapshot(const TTetrisGame& game)
        : rotation(game.Rotation)
        , row(game.RowOffset)
        , column(game.ColOffset)
    {
        std::memcpy(board, game.Board, sizeof board);
        std::memcpy(matrix, game.Matrix, sizeof matrix);
    }
    bool operator==(const Snapshot& other) const
    {
        return std::memcmp(board, other.board, sizeof board) == 0
            && std::memcmp(matrix, other.matrix, sizeof matrix) == 0 && rotation == other.rotation
            && row == other.row && column == other.column;
    }
};

TEST(TetrisGame, AFailedRotationRestoresEverything)
{
    // On the floor (too tall to stand up) and against occupied cells.
    struct Case {
        const char* pieces;
        const char* keys;
        Rows before;
    };
    const Case cases[] = {
        { "I", "tdu", {} },
        { "I", "turrrrrrtttt", { { 5, ".........8.." } } },
        { "L", "tllllldu", { { 21, "8..........." } } },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.keys);
        TetrisPieceRng rng(*parseTetrisPieces(row.pieces));
        TTetrisGame game(rng);
        startTetrisGame(game);
        loadBoard(game, row.before);
        playTetrisKeys(game, row.keys);
        const Snapshot before(game);
        game.Press(TTetrisGame::Key::Rotate);
        EXPECT_TRUE(Snapshot(game) == before);
    }
}

TEST(TetrisGame, GameOverStopsTheTimerAndResetsTheButtons)
{
    TetrisPieceRng rng({ 0 });
    TTetrisGame game(rng);
    int messages = 0;
    // A tick arriving while the message is shown is ignored.
    game.OnGameOver = [&] {
        ++messages;
        game.Tick();
    };
    startTetrisGame(game);
    EXPECT_FALSE(game.StartEnabled);
    EXPECT_TRUE(game.PauseEnabled);
    loadBoard(game, { { 1, "......8....." } });
    game.Level = 3;
    game.Tick();
    EXPECT_EQ(messages, 1);
    EXPECT_FALSE(game.TimerEnabled);
    EXPECT_TRUE(game.StartEnabled);
    EXPECT_FALSE(game.PauseEnabled);
    EXPECT_FALSE(game.Falling);
    EXPECT_EQ(game.Level, 1);
    EXPECT_EQ(game.BoardText(), boardText({}));
    // Start again: the next tick spawns a new piece at the top.
    game.Start();
    game.Tick();
    EXPECT_TRUE(game.Falling);
    EXPECT_EQ(game.BoardText(), boardText({ { 1, "......1....." }, { 2, ".....111...." } }));
}

TEST(TetrisGame, SetUpKeepsTheBoardAndCloseClearsIt)
{
    TetrisPieceRng rng({ 6 });
    TTetrisGame game(rng);
    startTetrisGame(game);
    playTetrisKeys(game,
        "tdt"
        "ttt");
    EXPECT_EQ(game.Score, 25);
    // A set-up (the window shown anew) resets the score and forgets the
    // falling piece, which stays drawn; the next tick spawns another.
    game.SetUp();
    EXPECT_EQ(game.Score, 0);
    EXPECT_EQ(game.Interval, 550);
    EXPECT_FALSE(game.Falling);
    game.Start();
    game.Tick();
    EXPECT_EQ(game.BoardText(),
        boardText({ { 1, ".....77....." }, { 2, ".....77....." }, { 3, ".....77....." },
            { 4, ".....77....." }, { 22, ".....77....." }, { 23, ".....77....." } }));
    game.Close();
    EXPECT_EQ(game.BoardText(), boardText({}));
    EXPECT_FALSE(game.TimerEnabled);
    EXPECT_TRUE(game.StartEnabled);
    EXPECT_FALSE(game.PauseEnabled);
    EXPECT_EQ(game.Score, 0);
    EXPECT_EQ(game.Level, 1);
}

TEST(TetrisGame, RepaintDrawsOnlyChangedCells)
{
    TetrisPieceRng rng({ 0 });
    TTetrisGame game(rng);
    std::map<std::pair<int, int>, int> painted;
    game.OnPaintCell = [&painted](int row, int column, uint8_t code) { painted[{ row, column }] = code; };
    startTetrisGame(game);
    EXPECT_EQ(game.PaintedCells, 23 * 12);
    game.PaintedCells = 0;
    painted.clear();
    game.Tick();
    EXPECT_EQ(game.PaintedCells, 4);
    painted.clear();
    game.PaintedCells = 0;
    // One row down: the T's row-1 cell and the ends of its row 2 clear, the
    // row-3 cells fill; the middle of row 2 stays.
    game.Tick();
    const std::map<std::pair<int, int>, int> expected { { { 1, 7 }, 0 }, { { 2, 6 }, 0 }, { { 2, 8 }, 0 },
        { { 3, 6 }, 1 }, { { 3, 7 }, 1 }, { { 3, 8 }, 1 } };
    EXPECT_EQ(painted, expected);
    EXPECT_EQ(game.PaintedCells, 6);
    game.ForceFullRedraw();
    game.PaintedCells = 0;
    game.Repaint();
    EXPECT_EQ(game.PaintedCells, 23 * 12);
}

TEST(TetrisScript, PieceListsAndKeys)
{
    EXPECT_EQ(parseTetrisPieces("T,l,J,Z,S,I,O,0,6"), (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 0, 6 }));
    EXPECT_FALSE(parseTetrisPieces(""));
    EXPECT_FALSE(parseTetrisPieces("T,,O"));
    EXPECT_FALSE(parseTetrisPieces("X"));
    EXPECT_FALSE(parseTetrisPieces("7"));
    TetrisPieceRng rng({ 1 });
    TTetrisGame game(rng);
    startTetrisGame(game);
    std::string error;
    EXPECT_FALSE(playTetrisKeys(game, "tq", &error));
    EXPECT_EQ(error, "unknown key 'q'");
}

// ovtool tetris

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

TEST(TetrisTool, PrintsTheBoardAndTheScoreLine)
{
    if (!std::filesystem::exists(tool) && std::getenv("CI"))
        FAIL() << "ovtool is not built";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "ovtool is not built";
    int status = -1;
    EXPECT_EQ(run("tetris --pieces O --keys tdt", status),
        boardText({ { 22, ".....77....." }, { 23, ".....77....." } }) + "score 25 level 1 interval 610\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("tetris --pieces I,I,O,I,T --keys tllllldttldttllllldttrrrdtt", status),
        boardText(
            { { 1, "......1....." }, { 2, ".....111...." }, { 22, "77.........." }, { 23, "77.........." } })
            + "score 85 level 1 interval 610\n");
    EXPECT_EQ(run("tetris --pieces T", status), boardText({}) + "score 0 level 1 interval 550\n");
    run("tetris --pieces X", status);
    EXPECT_EQ(status, 2);
    run("tetris --pieces T --keys tx", status);
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace ov
