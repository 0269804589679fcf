// A Tetris game played from a script, for ovtool tetris and the tests: the
// pieces come in a listed order and the keys are letters.
//   pieces: types by letter (T L J Z S I O) or number (0..6), separated by
//           commas; spawned in order, then again from the first.
//           Each piece has the colour code type + 1.
//   keys:   t tick, l left, r right, u rotate, d hard drop, p the Pause
//           button, s the Start button.
#pragma once

#include "tools/game_rng.h"
#include "tools/tetris_game.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

// The types of a list, or nullopt for an empty list or an unknown name.
std::optional<std::vector<int>> parseTetrisPieces(std::string_view list);

// Answers the game's draws so that the listed types come out in order: a
// type draw gives the type, the colour draw after it gives the type too
// (colour type + 1).
class TetrisPieceRng : public Rng {
public:
    explicit TetrisPieceRng(std::vector<int> types);
    int next(int n) override;

private:
    std::vector<int> m_types;
    std::size_t m_draw = 0;
};

// The set-up of a first show, then "&Start".
void startTetrisGame(TTetrisGame& game);
// Plays keys; false (with the offending letter in error) for an unknown one,
// after the keys before it were played.
bool playTetrisKeys(TTetrisGame& game, std::string_view keys, std::string* error = nullptr);
// The board's 23 lines, then "score S level L interval MS".
std::string tetrisReport(const TTetrisGame& game);

} // namespace ov
