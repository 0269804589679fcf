// The editor's search and replace, checked against the slow reference too.
#include "viewers/text_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

namespace ov {
namespace {

struct SearchCase {
    const char16_t* text;
    qsizetype selStart;
    qsizetype selLength;
    const char16_t* what;
    bool down;
    bool matchCase;
    bool wholeWord;
    qsizetype found; // -1: not found
};

const SearchCase searches[] = {
    // A word that closes the text, from the start.
    { u"the cat sat on the mat", 0, 0, u"mat", true, false, false, 19 },
    // Whole word: the second word only.
    { u"concat cat", 0, 0, u"cat", true, false, true, 7 },
    // The first word of the text can be found forward.
    { u"cat sat", 0, 0, u"cat", true, false, true, 0 },
    { u"cat sat", 0, 0, u"sat", true, false, true, 4 },
    // Cyrillic letters are delimiters.
    { u"котcatкот", 0, 0, u"cat", true, false, true, 3 },
    // Not a word: "cats" and "concat".
    { u"cats concat", 0, 0, u"cat", true, false, true, -1 },
    // Case folding, Cyrillic included; match case refuses.
    { u"the CAT", 0, 0, u"cat", true, false, false, 4 },
    { u"the CAT", 0, 0, u"cat", true, true, false, -1 },
    { u"большой КОТ", 0, 0, u"кот", true, false, false, 8 },
    // One unit at a time: "ß" never matches "SS".
    { u"STRASSE", 0, 0, u"straße", true, false, false, -1 },
    { u"straße", 0, 0, u"STRASSE", true, false, false, -1 },
    // A selection on a match finds the next one.
    { u"cat cat cat", 4, 3, u"cat", true, false, false, 8 },
    // Backward from a selection, whole word or not.
    { u"cat cat cat", 8, 3, u"cat", false, false, false, 4 },
    { u"cat concat cat", 11, 3, u"cat", false, false, true, 0 },
    { u"cat concat cat", 11, 3, u"cat", false, false, false, 7 },
    { u"cat", 0, 0, u"cat", false, false, false, -1 },
    // Empty text or search text, or too long.
    { u"", 0, 0, u"a", true, false, false, -1 },
    { u"abc", 0, 0, u"", true, false, false, -1 },
    { u"ab", 0, 0, u"abc", true, false, false, -1 },
};

TEST(TextSearch, Table)
{
    for (const auto& c : searches) {
        const QString text = QString::fromUtf16(c.text);
        const QString what = QString::fromUtf16(c.what);
        SCOPED_TRACE(text.toStdString() + " / " + what.toStdString());
        const SearchOptions options { c.down, c.matchCase, c.wholeWord };
        const TextSelection from { c.selStart, c.selLength };
        const auto found = findText(text, from, what, options);
        EXPECT_EQ(found ? found->start : -1, c.found);
        const auto slow = findTextSlowly(text, from, what, options);
        EXPECT_EQ(slow ? slow->start : -1, c.found);
    }
}

TEST(TextSearch, LongTextsAgreeWithTheSlowReference)
{
    // Texts longer than a step of the fast scan, over letters whose case
    // folds across ASCII ("ı" to "I", "ſ" to "S"), Cyrillic and delimiters.
    const char16_t alphabet[] = u"aAzZsSiI\u0131\u017f\u043a\u041a\u00df .1";
    const qsizetype letters = qsizetype(std::size(alphabet)) - 1;
    uint32_t seed = 12345;
    const auto next = [&seed](qsizetype below) {
        seed = seed * 1103515245u + 12345u;
        return qsizetype((seed >> 8) % uint32_t(below));
    };
    for (int round = 0; round < 400; ++round) {
        QString text, what;
        for (qsizetype i = next(70); i > 0; --i)
            text.append(QChar(alphabet[next(letters)]));
        for (qsizetype i = 1 + next(3); i > 0; --i)
            what.append(QChar(alphabet[next(letters)]));
        for (int flags = 0; flags < 8; ++flags) {
            const SearchOptions options { (flags & 1) == 0, (flags & 2) != 0, (flags & 4) != 0 };
            for (qsizetype start = 0; start <= text.size(); start += 1 + next(5)) {
                const auto fast = findText(text, { start, 0 }, what, options);
                const auto slow = findTextSlowly(text, { start, 0 }, what, options);
                ASSERT_EQ(fast.has_value(), slow.has_value())
                    << text.toStdString() << " / " << what.toStdString();
                if (fast) {
                    ASSERT_EQ(fast->start, slow->start) << text.toStdString() << " / " << what.toStdString();
                }
            }
        }
    }
}

TEST(TextSearch, ReplaceAllEndsAndReplacesEveryMatch)
{
    struct Case {
        const char16_t* text;
        const char16_t* what;
        const char16_t* with;
        bool wholeWord;
        const char16_t* result;
        int count;
    };
    const Case cases[] = {
        { u"aaa", u"a", u"b", false, u"bbb", 3 },
        { u"aaa", u"a", u"aa", false, u"aaaaaa", 3 },
        { u"Cat cat CAT", u"cat", u"", false, u"  ", 3 },
        { u"cat concat cat", u"cat", u"dog", true, u"dog concat dog", 2 },
        { u"xyz", u"a", u"b", false, u"xyz", 0 },
    };
    for (const auto& c : cases) {
        QString text = QString::fromUtf16(c.text);
        TextSelection selection;
        SearchOptions options;
        options.wholeWord = c.wholeWord;
        options.down = false; // replace-all goes down whatever the dialog says
        EXPECT_EQ(replaceText(
                      text, selection, QString::fromUtf16(c.what), QString::fromUtf16(c.with), options, true),
            c.count);
        EXPECT_EQ(text, QString::fromUtf16(c.result));
    }
    // A single replace: the selected match goes, the next one is selected.
    QString text = "cat cat";
    TextSelection selection { 0, 3 };
    EXPECT_EQ(replaceText(text, selection, u"CAT", u"dog", {}, false), 1);
    EXPECT_EQ(text, "dog cat");
    EXPECT_EQ(selection.start, 4);
    EXPECT_EQ(selection.length, 3);
}

} // namespace
} // namespace ov

#include "viewers/dock_side.h"

namespace ov {
namespace {

TEST(DockSide, DiagonalsDivideTheArea)
{
    struct Case {
        int x, y, width, height;
        DockSide side;
    };
    const Case cases[] = {
        { 200, 10, 400, 200, DockSide::Top },
        { 200, 190, 400, 200, DockSide::Bottom },
        { 10, 100, 400, 200, DockSide::Left },
        { 390, 100, 400, 200, DockSide::Right },
        // Outside the area: clamped to its edge first.
        { -50, -50, 400, 200, DockSide::Left },
        { 1000, 100, 400, 200, DockSide::Right },
        { 200, 5000, 400, 200, DockSide::Bottom },
        // On a diagonal the horizontal side wins over the left.
        { 100, 50, 400, 200, DockSide::Top },
        { 200, 100, 400, 200, DockSide::Right },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_STREQ(dockSideName(dockSideFor(c.x, c.y, c.width, c.height)), dockSideName(c.side));
    }
}

} // namespace
} // namespace ov
