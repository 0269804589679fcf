// Fuzz target text_search: the editor's search agrees with the slow
// reference that tries every position. The input is options, a selection,
// the search text and the text, all from the bytes.
#include "viewers/code_pages.h"
#include "viewers/text_search.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ov;
    if (size < 4)
        return 0;
    const SearchOptions options { (data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0 };
    // A small alphabet makes matches likely: the bytes pass through 866 so
    // that Cyrillic letters and delimiters appear too.
    const CodePage& page = *CodePage::byName("866");
    const size_t whatLength = data[1] % 8;
    if (size < 4 + whatLength)
        return 0;
    const auto take = [&](const uint8_t* from, size_t n) {
        QString out;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = from[i];
            out.append(QChar(b & 0x80 ? page.toUnicode(b) : char16_t("aAbB c.1"[b & 7])));
        }
        return out;
    };
    const QString what = take(data + 4, whatLength);
    const QString text = take(data + 4 + whatLength, size - 4 - whatLength);
    const qsizetype start = text.isEmpty() ? 0 : data[2] % (text.size() + 1);
    const qsizetype length = text.size() - start > 0 ? data[3] % (text.size() - start + 1) : 0;
    const TextSelection from { start, length };
    const auto fast = findText(text, from, what, options);
    const auto slow = findTextSlowly(text, from, what, options);
    if (fast.has_value() != slow.has_value()
        || (fast && (fast->start != slow->start || fast->length != slow->length)))
        std::abort();
    // Replace-all always ends.
    QString copy = text;
    TextSelection selection;
    replaceText(copy, selection, what, what + what, options, true);
    return 0;
}
