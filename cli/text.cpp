// ovtool text FILE [--lang LANG] [--find TEXT [--case] [--word] [--up]]
//                  [--replace-all FIND REPL] [--save OUT]
// Loads FILE as the editor does (LANG picks the ANSI page for files that
// are neither marked nor UTF-8; English by default) and prints
//   encoding=E lines=N breaks=LF|CRLF|CR|mixed final-newline=yes|no
// --find searches once, down from the start (up from the end with --up),
// and prints "found START LENGTH" (positions in UTF-16 units, one unit per
// line break) or "not found". --replace-all replaces every match (with the
// same --case and --word) and prints "replaced N". --save writes the text
// through the editor's save path; a character the file's encoding has no
// byte for is an error (exit 1), as the editor would ask first.
#include "viewers/code_pages.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

using namespace ov;

int usage()
{
    std::fprintf(stderr,
        "usage: ovtool text FILE [--lang eng|ita|pol|rus] [--find TEXT [--case] [--word] [--up]]"
        " [--replace-all FIND REPL] [--save OUT]\n");
    return 2;
}

} // namespace

int ovtoolText(int argc, char** argv)
{
    std::string file, language = "eng", save;
    std::optional<QString> find, replaceFind, replaceWith;
    SearchOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lang" && i + 1 < argc)
            language = argv[++i];
        else if (arg == "--find" && i + 1 < argc)
            find = QString::fromUtf8(argv[++i]);
        else if (arg == "--case")
            options.matchCase = true;
        else if (arg == "--word")
            options.wholeWord = true;
        else if (arg == "--up")
            options.down = false;
        else if (arg == "--replace-all" && i + 2 < argc) {
            replaceFind = QString::fromUtf8(argv[++i]);
            replaceWith = QString::fromUtf8(argv[++i]);
        } else if (arg == "--save" && i + 1 < argc)
            save = argv[++i];
        else if (file.empty() && !arg.starts_with("--"))
            file = arg;
        else
            return usage();
    }
    if (file.empty())
        return usage();

    TextDocument document;
    const auto loaded = loadTextFile(file, CodePage::ansiFor(language), document);
    if (!loaded.ok) {
        std::fprintf(stderr, "ovtool text: %s: %s\n", file.c_str(), std::strerror(loaded.error));
        return 1;
    }
    std::printf("encoding=%s lines=%lld breaks=%s final-newline=%s\n", qPrintable(document.encodingName()),
        static_cast<long long>(document.lineCount()), qPrintable(document.breaksName()),
        document.finalNewline() ? "yes" : "no");

    if (find) {
        const QString text = document.joined();
        const TextSelection from { options.down ? 0 : text.size(), 0 };
        if (const auto found = findText(text, from, *find, options))
            std::printf("found %lld %lld\n", static_cast<long long>(found->start),
                static_cast<long long>(found->length));
        else
            std::printf("not found\n");
    }
    if (replaceFind) {
        QString text = document.joined();
        TextSelection selection;
        const int count = replaceText(text, selection, *replaceFind, *replaceWith, options, true);
        document.setLines(text.split(u'\n'));
        std::printf("replaced %d\n", count);
    }
    if (!save.empty()) {
        const auto saved = saveTextFile(save, document);
        if (saved.unencodable) {
            std::fprintf(stderr, "ovtool text: line %lld column %lld has no byte in %s; nothing saved\n",
                static_cast<long long>(saved.badPosition.line + 1),
                static_cast<long long>(saved.badPosition.column + 1), qPrintable(document.encodingName()));
            return 1;
        }
        if (!saved.ok) {
            std::fprintf(stderr, "ovtool text: %s: %s\n", save.c_str(), std::strerror(saved.error));
            return 1;
        }
    }
    return 0;
}
