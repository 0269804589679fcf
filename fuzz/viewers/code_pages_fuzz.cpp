// Fuzz target code_pages: every page decodes any bytes and encodes them back
// unchanged; any text encodes either completely and decodes back to itself
// or stops at a character the page has none for. The same for the UTF-8 and
// UTF-16 forms with escapes.
#include "viewers/code_pages.h"
#include "viewers/text_document.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The input read as UTF-16 units gives an arbitrary text.
    const QString text = decodeUtf16Escaped(bytes.first(size & ~size_t(1)), false);
    for (const CodePage* page : CodePage::all()) {
        QByteArray back;
        if (!page->encode(page->decode(bytes), back) || back != bytes)
            std::abort();
        QByteArray encoded;
        qsizetype bad = -1;
        if (page->encode(text, encoded, &bad)) {
            if (page->decode(encoded) != text)
                std::abort();
        } else if (bad < 0 || bad >= text.size() || page->fromUnicode(text[bad].unicode())) {
            std::abort();
        }
    }
    QByteArray utf8;
    if (!encodeUtf8Escaped(decodeUtf8Escaped(bytes), utf8) || utf8 != bytes)
        std::abort();
    for (const bool bigEndian : { false, true }) {
        QByteArray utf16;
        bool oddTail = false;
        const QString decoded = decodeUtf16Escaped(bytes, bigEndian, &oddTail);
        encodeUtf16Escaped(decoded, utf16, bigEndian, oddTail);
        if (utf16 != bytes)
            std::abort();
    }
    return 0;
}
