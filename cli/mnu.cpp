// ovtool mnu: the user menu file as the dialog reads it.
//   mnu FILE            one line per entry: caption, then each word "&Start"
//                       hands the launcher, tab-separated
//   mnu --run N FILE    starts entry N (1-based) as "&Start" does
//   mnu --rewrite FILE  writes the file back as closing after "&Options" does
// A malformed file gives "ovtool mnu: FILE: line N: reason" and exit 1; it
// is never rewritten.
#include "shell/user_menu.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: ovtool mnu [--run N | --rewrite] FILE\n");
    return 2;
}

// A 1-based entry number, 0 when the text is not one.
std::size_t entryNumber(const char* text)
{
    std::size_t number = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || number > 1000000000)
            return 0;
        number = number * 10 + static_cast<std::size_t>(*c - '0');
    }
    return number;
}

} // namespace

int ovtoolMnu(int argc, char** argv)
{
    std::size_t run = 0;
    bool rewrite = false;
    int at = 1;
    if (argc == 4 && std::strcmp(argv[1], "--run") == 0) {
        run = entryNumber(argv[2]);
        if (run == 0)
            return usage();
        at = 3;
    } else if (argc == 3 && std::strcmp(argv[1], "--rewrite") == 0) {
        rewrite = true;
        at = 2;
    } else if (argc != 2 || argv[1][0] == '-') {
        return usage();
    }
    const std::string path = argv[at];

    const MenuFile file = loadUserMenu(path, "ENGLISH");
    if (!file.ok) {
        std::fprintf(stderr, "ovtool mnu: %s: %s\n", path.c_str(), file.error().c_str());
        return 1;
    }
    if (rewrite) {
        std::string failure;
        if (!saveUserMenu(path, file.entries, &failure)) {
            std::fprintf(stderr, "ovtool mnu: %s: %s\n", path.c_str(), failure.c_str());
            return 1;
        }
        return 0;
    }
    if (run) {
        if (run > file.entries.size()) {
            std::fprintf(stderr, "ovtool mnu: %s: no entry %zu\n", path.c_str(), run);
            return 1;
        }
        const std::string& command = file.entries[run - 1].command;
        const auto launch = planMenuCommand(command);
        std::string failure = "the command is empty";
        if (!launch || !runMenuLaunch(*launch, &failure)) {
            std::fprintf(stderr, "ovtool mnu: %s: %s\n", command.c_str(), failure.c_str());
            return 1;
        }
        return 0;
    }
    for (const UserMenuEntry& entry : file.entries) {
        std::string line = entry.caption;
        if (const auto launch = planMenuCommand(entry.command))
            for (const std::string& word : launch->argv)
                line += "\t" + word;
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
