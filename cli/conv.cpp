// ovtool conv --from CP --to CP: converts standard input to standard output
// through the editor's code pages (437, 850, 852, 866, 1250, 1251, 1252,
// utf-8, utf-16le). A character with no byte in the target page stops the
// run before anything is written: exit 1 with its position on stderr.
#include "viewers/code_pages.h"
#include "viewers/text_document.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace ov;

struct Charset {
    const CodePage* page = nullptr; // null: a Unicode form
    bool utf16 = false;
};

bool charsetByName(const std::string& name, Charset& charset)
{
    if (name == "utf-8" || name == "utf8") {
        charset = {};
        return true;
    }
    if (name == "utf-16le" || name == "utf16le") {
        charset = { nullptr, true };
        return true;
    }
    charset = { CodePage::byName(name), false };
    return charset.page != nullptr;
}

// Whether the UTF-16 input had an odd last byte (held as an escape).
bool oddTail = false;

QString decode(const Charset& charset, QByteArrayView bytes)
{
    if (charset.page)
        return charset.page->decode(bytes);
    if (charset.utf16)
        return decodeUtf16Escaped(bytes, false, &oddTail);
    return decodeUtf8Escaped(bytes);
}

bool encode(const Charset& charset, QStringView text, QByteArray& out, qsizetype* bad)
{
    if (charset.page)
        return charset.page->encode(text, out, bad);
    if (charset.utf16) {
        encodeUtf16Escaped(text, out, false, oddTail);
        return true;
    }
    return encodeUtf8Escaped(text, out, bad);
}

int usage()
{
    std::fprintf(
        stderr, "usage: ovtool conv --from CP --to CP (437 850 852 866 1250 1251 1252 utf-8 utf-16le)\n");
    return 2;
}

} // namespace

int ovtoolConv(int argc, char** argv)
{
    std::string fromName, toName;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--from") == 0 && i + 1 < argc)
            fromName = argv[++i];
        else if (std::strcmp(argv[i], "--to") == 0 && i + 1 < argc)
            toName = argv[++i];
        else
            return usage();
    }
    Charset from, to;
    if (!charsetByName(fromName, from) || !charsetByName(toName, to))
        return usage();

    QByteArray input;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin);
        input.append(buffer, qsizetype(got));
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(stdin)) {
        std::perror("ovtool conv: reading standard input");
        return 1;
    }
    const QString text = decode(from, input);
    QByteArray output;
    qsizetype bad = -1;
    if (!encode(to, text, output, &bad)) {
        // The character's place in the input, in bytes and in characters.
        QByteArray before;
        qsizetype ignored = -1;
        encode(from, QStringView(text).left(bad), before, &ignored);
        std::fprintf(stderr, "ovtool conv: U+%04X at byte %lld (character %lld) has no byte in %s\n",
            unsigned(text[bad].unicode()), static_cast<long long>(before.size()), static_cast<long long>(bad),
            toName.c_str());
        return 1;
    }
    if (std::fwrite(output.constData(), 1, std::size_t(output.size()), stdout) != std::size_t(output.size())
        || std::fflush(stdout) != 0) {
        std::perror("ovtool conv: writing standard output");
        return 1;
    }
    return 0;
}
