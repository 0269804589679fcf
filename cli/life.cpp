// ovtool life [--steps N] FILE: reads a board in the text form ("." dead,
// "O" alive, "!" comment lines), runs N generations (default 1) on a board
// of the same size whose edges do not wrap, and prints the result in the
// same form. FILE "-" reads standard input.
#include "tools/life_board.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int ovtoolLife(int argc, char** argv)
{
    long steps = 1;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--steps") == 0 && i + 1 < argc) {
            char* end = nullptr;
            errno = 0;
            steps = std::strtol(argv[++i], &end, 10);
            if (errno != 0 || *end != '\0' || end == argv[i] || steps < 0) {
                std::fprintf(stderr, "ovtool life: bad step count '%s'\n", argv[i]);
                return 2;
            }
        } else if (!path) {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (!path) {
        std::fprintf(stderr, "usage: ovtool life [--steps N] FILE\n");
        return 2;
    }
    std::string text;
    if (std::strcmp(path, "-") == 0) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "ovtool life: cannot open %s\n", path);
            return 1;
        }
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (file.bad()) {
            std::fprintf(stderr, "ovtool life: cannot read %s\n", path);
            return 1;
        }
    }
    std::string error;
    auto board = ov::LifeBoard::fromText(text, &error);
    if (!board) {
        std::fprintf(stderr, "ovtool life: %s: %s\n", path, error.c_str());
        return 1;
    }
    ov::LifeBoard next;
    for (long step = 0; step < steps; ++step) {
        board->nextInto(next);
        std::swap(*board, next);
    }
    const std::string out = board->toText();
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
