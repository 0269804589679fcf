#include "viewers/text_search.h"

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ov {

namespace {

// A character's upper case, one unit at a time; ASCII without a call.
inline char16_t fold(QChar ch, bool matchCase)
{
    const char16_t c = ch.unicode();
    if (matchCase)
        return c;
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
    return ch.toUpper().unicode();
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

// The first position from pos to last whose character folds to first;
// last + 1 when there is none. Eight units a step where SSE2 is there: the
// units equal to first (or, case ignored, to its lower-case ASCII letter)
// and, case ignored, any unit above ASCII (it may fold to anything) are
// looked at one by one.
qsizetype nextCandidate(QStringView text, qsizetype pos, qsizetype last, char16_t first, bool matchCase)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.data());
    char16_t lower = first;
    if (!matchCase && first >= u'A' && first <= u'Z')
        lower = char16_t(first + (u'a' - u'A'));
#ifdef __SSE2__
    const __m128i wantFirst = _mm_set1_epi16(short(first));
    const __m128i wantLower = _mm_set1_epi16(short(lower));
    // A unit is ASCII when its bits above the seventh are clear.
    const __m128i notAscii = _mm_set1_epi16(short(0xFF80));
    while (pos + 8 <= last + 1) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + pos));
        __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(block, wantFirst), _mm_cmpeq_epi16(block, wantLower));
        if (!matchCase) {
            const __m128i high = _mm_and_si128(block, notAscii);
            hits = _mm_or_si128(
                hits, _mm_xor_si128(_mm_cmpeq_epi16(high, _mm_setzero_si128()), _mm_set1_epi16(-1)));
        }
        int mask = _mm_movemask_epi8(hits);
        while (mask != 0) {
            const qsizetype at = pos + std::countr_zero(unsigned(mask)) / 2;
            if (fold(QChar(units[at]), matchCase) == first)
                return at;
            mask &= ~(3 << int((at - pos) * 2));
        }
        pos += 8;
    }
#endif
    for (; pos <= last; ++pos)
        if (fold(QChar(units[pos]), matchCase) == first)
            return pos;
    return last + 1;
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
        // The first position from the start that passes every test: only
        // the places whose character folds to the first one of what are tried.
        const char16_t first = fold(what[0], options.matchCase);
        for (qsizetype pos = nextCandidate(
                 text, std::max<qsizetype>(from.start + from.length, 0), last, first, options.matchCase);
             pos <= last; pos = nextCandidate(text, pos + 1, last, first, options.matchCase)) {
            if (options.wholeWord && (!startsWord(text, pos) || !endsWord(text, pos + m)))
                continue;
            if (matchesAt(text, pos, what, options))
                return TextSelection { pos, m };
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
