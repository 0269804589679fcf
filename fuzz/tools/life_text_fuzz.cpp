// Fuzz target life_text: any bytes read as a Life board in the text form.
// A board that reads stays within the size cap, prints back to text that
// reads as the same board, and (when small) steps exactly as the plain
// per-cell step does.
#include "tests/tools/life_reference.h"
#include "tools/life_board.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto board = LifeBoard::fromText(text);
    if (!board)
        return 0;
    const std::size_t cells
        = static_cast<std::size_t>(board->rows()) * static_cast<std::size_t>(board->columns());
    if (cells > LifeBoard::MaxTextCells)
        std::abort();
    if (cells > (std::size_t { 1 } << 16))
        return 0;
    const auto again = LifeBoard::fromText(board->toText());
    if (!again || !(*again == *board))
        std::abort();
    test::PlainLife plain(board->rows(), board->columns());
    for (int r = 0; r < board->rows(); ++r)
        for (int c = 0; c < board->columns(); ++c)
            plain.cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(board->columns()) + c]
                = board->alive(r, c) ? 1 : 0;
    test::PlainLife plainNext(board->rows(), board->columns());
    plain.stepInto(plainNext);
    const LifeBoard next = board->next();
    for (int r = 0; r < board->rows(); ++r)
        for (int c = 0; c < board->columns(); ++c)
            if (next.alive(r, c) != (plainNext.at(r, c) != 0))
                std::abort();
    return 0;
}
