// ovtool tetris --pieces T,T,... [--keys K]: plays a game started as the
// window's "&Start" starts it, with the listed piece types spawned in order
// (then again from the first), then the keys K: t tick, l left, r right,
// u rotate, d hard drop (p pause, s start). Prints the 23 rows of 12 cells,
// "." or the colour code, then "score S level L interval MS". A game over
// is also reported on standard error.
#include "tools/tetris_script.h"

#include <cstdio>
#include <cstring>
#include <string>

int ovtoolTetris(int argc, char** argv)
{
    const char* pieces = nullptr;
    const char* keys = "";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pieces") == 0 && i + 1 < argc) {
            pieces = argv[++i];
        } else if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc) {
            keys = argv[++i];
        } else {
            pieces = nullptr;
            break;
        }
    }
    if (!pieces) {
        std::fprintf(stderr, "usage: ovtool tetris --pieces T,L,J,Z,S,I,O [--keys tlrud]\n");
        return 2;
    }
    const auto types = ov::parseTetrisPieces(pieces);
    if (!types) {
        std::fprintf(
            stderr, "ovtool tetris: bad piece list '%s' (T L J Z S I O or 0..6, comma-separated)\n", pieces);
        return 2;
    }
    ov::TetrisPieceRng rng(*types);
    ov::TTetrisGame game(rng);
    game.OnGameOver = [] { std::fprintf(stderr, "ovtool tetris: game over\n"); };
    ov::startTetrisGame(game);
    std::string error;
    if (!ov::playTetrisKeys(game, keys, &error)) {
        std::fprintf(stderr, "ovtool tetris: %s\n", error.c_str());
        return 2;
    }
    const std::string report = ov::tetrisReport(game);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
