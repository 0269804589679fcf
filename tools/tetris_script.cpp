#include "tools/tetris_script.h"

#include <cctype>

namespace ov {

std::optional<std::vector<int>> parseTetrisPieces(std::string_view list)
{
    static constexpr std::string_view letters = "TLJZSIO";
    std::vector<int> types;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.size() != 1)
            return std::nullopt;
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if (c >= '0' && c <= '6')
            types.push_back(c - '0');
        else if (const std::size_t at = letters.find(c); at != std::string_view::npos)
            types.push_back(static_cast<int>(at));
        else
            return std::nullopt;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return types;
}

TetrisPieceRng::TetrisPieceRng(std::vector<int> types)
    : m_types(std::move(types))
{
    if (m_types.empty())
        m_types.push_back(0);
}

int TetrisPieceRng::next(int n)
{
    const int type = m_types[(m_draw / 2) % m_types.size()];
    ++m_draw;
    return type % n;
}

void startTetrisGame(TTetrisGame& game)
{
    game.SetUp();
    game.Start();
}

bool playTetrisKeys(TTetrisGame& game, std::string_view keys, std::string* error)
{
    for (const char key : keys) {
        switch (key) {
        case 't':
            game.Tick();
            break;
        case 'l':
            game.Press(TTetrisGame::Key::Left);
            break;
        case 'r':
            game.Press(TTetrisGame::Key::Right);
            break;
        case 'u':
            game.Press(TTetrisGame::Key::Rotate);
            break;
        case 'd':
            game.Press(TTetrisGame::Key::Drop);
            break;
        case 'p':
            if (game.PauseEnabled)
                game.Pause();
            break;
        case 's':
            if (game.StartEnabled)
                game.Start();
            break;
        default:
            if (error)
                *error = std::string("unknown key '") + key + "'";
            return false;
        }
    }
    return true;
}

std::string tetrisReport(const TTetrisGame& game)
{
    return game.BoardText() + "score " + std::to_string(game.Score) + " level " + std::to_string(game.Level)
        + " interval " + std::to_string(game.Interval) + "\n";
}

} // namespace ov
