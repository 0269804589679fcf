#include "viewers/text_search.h"

namespace ov {

bool isWordDelimiter(QChar ch)
{
    const char16_t c = ch.unicode();
    return !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'));
}

namespace {

char16_t fold(QChar ch, bool matchCase)
{
    return matchCase ? ch.unicode() : ch.toUpper().unicode();
}

bool matchesAt(QStringView text, qsizetype pos, QStringView what, const SearchOptions& options)
{
    for (qsizetype i = 0; i < what.size(); ++i)
        if (fold(text[pos + i], options.matchCase) != fold(what[i], options.matchCase))
            return false;
    return true;
}

bool endsWord(QStringView text, qsizetype end)
{
    return end >= text.size() || isWordDelimiter(text[end]);
}

bool startsWord(QStringView text, qsizetype pos)
{
    return pos < text.size() && !isWordDelimiter(text[pos]) && (pos == 0 || isWordDelimiter(text[pos - 1]));
}

} // namespace

std::optional<TextSelection> findText(
    QStringView text, TextSelection from, QStringView what, const SearchOptions& options)
{
    const qsizetype n = text.size(), m = what.size();
    if (m == 0 || n == 0 || m > n)
        return std::nullopt;
    const qsizetype last = n - m;
    if (options.down) {
        qsizetype pos = from.start + from.length;
        if (pos < 0)
            pos = 0;
        while (pos <= last) {
            if (options.wholeWord && !startsWord(text, pos)) {
                // Move to the start of the next word: over the rest of this
                // one, then over the delimiters.
                while (pos < n && !isWordDelimiter(text[pos]))
                    ++pos;
                while (pos < n && isWordDelimiter(text[pos]))
                    ++pos;
                if (pos > last)
                    break;
            }
            if (matchesAt(text, pos, what, options) && (!options.wholeWord || endsWord(text, pos + m)))
                return TextSelection { pos, m };
            ++pos;
        }
        return std::nullopt;
    }
    qsizetype pos = std::min(from.start - m, last);
    while (pos >= 0) {
        if (options.wholeWord) {
            // Back to the start of the word at or before pos.
            while (pos >= 0 && isWordDelimiter(text[pos]))
                --pos;
            while (pos >= 0 && !isWordDelimiter(text[pos]))
                --pos;
            ++pos;
            if (pos > last || isWordDelimiter(text[pos]))
                return std::nullopt;
        }
        if (matchesAt(text, pos, what, options) && (!options.wholeWord || endsWord(text, pos + m)))
            return TextSelection { pos, m };
        --pos;
    }
    return std::nullopt;
}

std::optional<TextSelection> findTextSlowly(
    QStringView text, TextSelection from, QStringView what, const SearchOptions& options)
{
    const qsizetype n = text.size(), m = what.size();
    if (m == 0 || n == 0 || m > n)
        return std::nullopt;
    const auto accepts = [&](qsizetype pos) {
        if (options.wholeWord && !startsWord(text, pos))
            return false;
        if (options.wholeWord && !endsWord(text, pos + m))
            return false;
        for (qsizetype i = 0; i < m; ++i) {
            const QChar a = text[pos + i], b = what[i];
            if (options.matchCase ? a != b : a.toUpper() != b.toUpper())
                return false;
        }
        return true;
    };
    if (options.down) {
        for (qsizetype pos = std::max<qsizetype>(0, from.start + from.length); pos <= n - m; ++pos)
            if (accepts(pos))
                return TextSelection { pos, m };
    } else {
        for (qsizetype pos = std::min(from.start - m, n - m); pos >= 0; --pos)
            if (accepts(pos))
                return TextSelection { pos, m };
    }
    return std::nullopt;
}

int replaceText(QString& text, TextSelection& selection, QStringView what, QStringView with,
    SearchOptions options, bool all)
{
    int count = 0;
    // Replace-all searches down only, whatever the dialog's direction.
    if (all)
        options.down = true;
    const auto replaceSelection = [&] {
        text.replace(selection.start, selection.length, with.toString());
        selection = { selection.start + with.size(), 0 };
        ++count;
    };
    if (selection.length > 0 && selection.length == what.size()
        && QStringView(text).mid(selection.start, selection.length).compare(what, Qt::CaseInsensitive) == 0)
        replaceSelection();
    qsizetype previous = -1;
    for (;;) {
        const auto found = findText(text, selection, what, options);
        if (!found)
            break;
        // A match before the previous one would start the text over.
        if (found->start < previous)
            break;
        selection = *found;
        if (!all)
            break;
        previous = found->start;
        replaceSelection();
    }
    return count;
}

} // namespace ov
