// Fuzz target paged_text: the paged view's engine reads any bytes as the
// editor's document does (the same encoding, lines and escapes), in blocks of
// any size, and its find over blocks agrees with the editor's search on the
// joined lines. The first bytes choose the block size, the chunk, the
// options and the search text; the rest is the file.
#include "viewers/code_pages.h"
#include "viewers/paged_text.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    if (size < 4)
        return 0;
    const std::size_t blockSize = 1 + data[0] % 17;
    const qsizetype chunk = 1 + data[1] % 9;
    const SearchOptions options { (data[2] & 1) != 0, (data[2] & 2) != 0, (data[2] & 4) != 0 };
    const std::size_t whatLength = data[3] % 4;
    if (size < 4 + whatLength)
        return 0;
    const QByteArray bytes(
        reinterpret_cast<const char*>(data + 4 + whatLength), qsizetype(size - 4 - whatLength));
    const CodePage& ansi = CodePage::ansiFor("rus");
    const TextDocument document = TextDocument::fromBytes(bytes, ansi);
    PagedText paged(ansi, blockSize);
    paged.openBytes(bytes);
    paged.indexAll();
    if (!paged.indexed() || paged.encodingName() != document.encodingName()
        || paged.lines() != qsizetype(document.lines().size()) || paged.lineCount() != document.lineCount())
        std::abort();
    for (qsizetype i = 0; i < paged.lines(); ++i)
        if (paged.line(i) != document.lines()[std::size_t(i)].text)
            std::abort();

    // The search text: bytes through 1251, so that letters, Cyrillic and
    // breaks all occur.
    QString what;
    for (std::size_t i = 0; i < whatLength; ++i) {
        const uint8_t b = data[4 + i];
        what.append(QChar(b & 0x80 ? ansi.toUnicode(b) : char16_t("aAtT \n.c"[b & 7])));
    }
    const QString joined = document.joined();
    // From a few points of the text: its start, its middle, its end.
    for (const qsizetype position : { qsizetype(0), joined.size() / 2, joined.size() }) {
        TextPoint point;
        for (qsizetype i = 0; i < position; ++i)
            point = joined[i] == u'\n' ? TextPoint { point.line + 1, 0 }
                                       : TextPoint { point.line, point.column + 1 };
        const auto expected = findText(joined, { position, 0 }, what, options);
        const auto found = paged.find(what, options, point, nullptr, nullptr, chunk);
        if (expected.has_value() != found.has_value())
            std::abort();
        if (found
            && paged.text(found->start, found->end)
                != QStringView(joined).mid(expected->start, expected->length))
            std::abort();
    }
    return 0;
}
