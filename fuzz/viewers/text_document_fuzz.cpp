// Fuzz target text_document: any bytes opened as the editor opens them and
// written back unchanged must give the same bytes, under every ANSI page.
#include "viewers/code_pages.h"
#include "viewers/text_document.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* language : { "eng", "pol", "rus" }) {
        const TextDocument document = TextDocument::fromBytes(bytes, CodePage::ansiFor(language));
        QByteArray back;
        if (!document.toBytes(back) || back != bytes)
            std::abort();
        // Lines set again from their own text keep their breaks.
        TextDocument copy = document;
        QStringList lines;
        for (const auto& line : document.lines())
            lines.append(line.text);
        copy.setLines(lines);
        QByteArray again;
        if (!copy.toBytes(again) || again != bytes)
            std::abort();
    }
    return 0;
}
