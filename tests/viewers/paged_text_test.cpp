// The paged view's engine against the editor's document and search: the
// same bytes must give the same lines, encoding and matches, whatever the
// block size the file is read in.
#include "tests/support/temp_folder.h"
#include "viewers/line_index.h"
#include "viewers/paged_text.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ov {
namespace {

QByteArray utf16(const char16_t* text, bool bigEndian)
{
    QByteArray out(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (const char16_t* p = text; *p; ++p) {
        const char hi = char(*p >> 8), lo = char(*p & 0xFF);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
    return out;
}

struct FileCase {
    const char* name;
    QByteArray bytes;
};

std::vector<FileCase> fileCases()
{
    std::vector<FileCase> cases {
        { "lf", "the cat sat\non the mat\n" },
        { "crlf", "the cat sat\r\non the mat\r\n" },
        { "cr", "the cat sat\ron the mat\r" },
        { "mixed", "the cat\r\nsat\non\rthe mat\r\n\n\r\r\n" },
        { "no final newline", "the cat\nsat on the mat" },
        { "empty", "" },
        { "only breaks", "\r\n\n\r\r" },
        { "utf-16le", utf16(u"the cat \u043a\u043e\u0442\r\n\u2500 cat\rCAT\n", false) },
        { "utf-16be", utf16(u"the cat \u043a\u043e\u0442\n\u2028end cat", true) },
        { "utf-16le odd", utf16(u"the cat\n", false) + "\x41" },
        { "utf-16 mark only", QByteArray("\xFF\xFE", 2) },
        { "utf-8 mark", "\xEF\xBB\xBFthe cat \xC3\xA9t\xC3\xA9\n\xE2\x94\x80 \xF0\x9F\x90\x88 cat\n" },
        { "utf-8 mark invalid", "\xEF\xBB\xBFthe cat \xFF\xC3(\xE2\x82\ncat" },
        { "1251",
            "the cat \xEA\xEE\xF2\x98\xA0\xE8\n\xC0\xA0"
            "cat\n" },
        { "invalid utf-8",
            "the cat \xC3 \xE9t\xE9 \xED\xA0\x80 \xF5\x80\n\xC0\xAF"
            "cat" },
        { "invalid at the very end", "the cat sat\non the mat \xD0\xBA\xD0\xBE\xD1\x82 cat\xE2\x82" },
        { "cyrillic utf-8",
            "\xD0\xBA\xD0\xBE\xD1\x82 cat\n\xD0\x9A\xD0\x9E\xD0\xA2"
            "cat\xD0\xBA\n" },
        { "nul bytes", QByteArray("the\0cat\0\nsat\0\0\n", 15) },
        // Matches of a break searched up overlap.
        { "breaks in a row", "a\nD\r\r\rb\n\n\nc" },
    };
    QByteArray huge;
    for (int i = 0; i < 4000; ++i)
        huge += "word cat ";
    huge += "zebra";
    cases.push_back({ "one huge line", huge });
    return cases;
}

TEST(PagedText, LinesAndEncodingAreTheDocuments)
{
    const CodePage& ansi = CodePage::ansiFor("rus");
    for (const auto& file : fileCases()) {
        const TextDocument document = TextDocument::fromBytes(file.bytes, ansi);
        for (const std::size_t blockSize : { std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7),
                 std::size_t(64), std::size_t(1) << 20 }) {
            SCOPED_TRACE(std::string(file.name) + " in blocks of " + std::to_string(blockSize));
            PagedText paged(ansi, blockSize);
            paged.openBytes(file.bytes);
            paged.indexAll();
            ASSERT_TRUE(paged.indexed());
            EXPECT_EQ(paged.encodingName(), document.encodingName());
            EXPECT_EQ(paged.lineCount(), document.lineCount());
            ASSERT_EQ(paged.lines(), qsizetype(document.lines().size()));
            for (qsizetype i = 0; i < paged.lines(); ++i) {
                const QString whole = paged.line(i);
                EXPECT_EQ(whole, document.lines()[std::size_t(i)].text) << "line " << i;
                // The start of a long line, as the window shows it, is a
                // start of the line: cutting its bytes adds no escape.
                if (blockSize == 64 && whole.size() < 100) {
                    for (qsizetype cut = 0; cut < 24; ++cut)
                        EXPECT_TRUE(whole.startsWith(paged.line(i, cut))) << "line " << i << " cut " << cut;
                }
            }
        }
    }
}

TEST(PagedText, ReadsAFileOnAWorker)
{
    test::TempFolder folder;
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += "line " + QByteArray::number(i) + (i % 3 ? "\r\n" : "\n");
    const std::string path = folder.write("big.txt", bytes.toStdString());
    PagedText paged(CodePage::ansiFor("eng"), 4096);
    ASSERT_TRUE(paged.open(path));
    paged.startIndexing();
    ASSERT_TRUE(paged.waitIndexed(nullptr));
    EXPECT_EQ(paged.lineCount(), 5000);
    EXPECT_EQ(paged.line(4999), QStringLiteral("line 4999"));
    EXPECT_EQ(paged.index().lineAt(paged.index().start(1234) + 2), 1234u);
    EXPECT_EQ(paged.text({ 1, 2 }, { 3, 4 }), QStringLiteral("ne 1\nline 2\nline"));

    PagedText missing(CodePage::ansiFor("eng"));
    EXPECT_FALSE(missing.open(folder.path() + "/nothing.txt"));
}

// Every point of the joined text, as (line, column).
std::vector<std::pair<qsizetype, TextPoint>> pointsOf(const QString& joined)
{
    std::vector<std::pair<qsizetype, TextPoint>> points;
    TextPoint point;
    for (qsizetype i = 0; i <= joined.size(); ++i) {
        points.push_back({ i, point });
        if (i < joined.size() && joined[i] == u'\n')
            point = { point.line + 1, 0 };
        else
            ++point.column;
    }
    return points;
}

TEST(PagedText, FindAgreesWithTheEditorsSearch)
{
    const CodePage& ansi = CodePage::ansiFor("rus");
    const QString patterns[]
        = { QStringLiteral("cat"), QStringLiteral("CAT"), QStringLiteral("t"), QStringLiteral("at\non"),
              QStringLiteral("\n"), QStringLiteral("\n\n"), QStringLiteral("\u043a\u043e\u0442"),
              QStringLiteral("zebra"), QStringLiteral("the cat"), QString(QChar(char16_t(0xDCC3))) };
    for (const auto& file : fileCases()) {
        const TextDocument document = TextDocument::fromBytes(file.bytes, ansi);
        const QString joined = document.joined();
        const auto points = pointsOf(joined);
        const std::size_t step = points.size() > 1000 ? points.size() / 3
            : points.size() > 40                      ? points.size() / 20
                                                      : 1;
        // Tiny blocks and chunks move every edge through the text.
        for (const auto& [blockSize, chunk] :
            { std::pair<std::size_t, qsizetype> { 3, 1 }, std::pair<std::size_t, qsizetype> { 5, 7 },
                std::pair<std::size_t, qsizetype> { 4096, 1 << 20 } }) {
            if (blockSize < 4096 && file.bytes.size() > 1000)
                continue;
            PagedText paged(ansi, blockSize);
            paged.openBytes(file.bytes);
            paged.indexAll();
            for (const QString& what : patterns)
                for (int flags = 0; flags < 8; ++flags) {
                    const SearchOptions options { (flags & 1) == 0, (flags & 2) != 0, (flags & 4) != 0 };
                    for (std::size_t k = 0; k < points.size(); k += step) {
                        const auto& [position, point] = points[k];
                        const auto expected = findText(joined, { position, 0 }, what, options);
                        const auto slow = findTextSlowly(joined, { position, 0 }, what, options);
                        ASSERT_EQ(expected.has_value(), slow.has_value());
                        {
                            const auto found = paged.find(what, options, point, nullptr, nullptr, chunk);
                            SCOPED_TRACE(std::string(file.name) + ": " + what.toStdString() + " flags "
                                + std::to_string(flags) + " from " + std::to_string(position) + " chunk "
                                + std::to_string(chunk) + " block " + std::to_string(blockSize));
                            ASSERT_EQ(found.has_value(), expected.has_value());
                            if (!found)
                                continue;
                            const auto at
                                = [&](qsizetype p) { return pointsOf(joined.left(p)).back().second; };
                            EXPECT_EQ(found->start, at(expected->start));
                            EXPECT_EQ(found->end, at(expected->start + expected->length));
                        }
                    }
                }
        }
    }
}

TEST(PagedText, FindStopsWhenCancelledAndReportsProgress)
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "no match here\n";
    bytes += "zebra\n";
    PagedText paged(CodePage::ansiFor("eng"), 1024);
    paged.openBytes(bytes);
    paged.indexAll();
    std::atomic<int64_t> done { 0 };
    const auto found = paged.find(u"ZEBRA", { true, false, true }, {}, nullptr, &done, 4096);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, (TextPoint { 20000, 0 }));
    EXPECT_EQ(done.load(), bytes.size());
    const std::atomic<bool> cancel { true };
    EXPECT_FALSE(paged.find(u"zebra", {}, {}, &cancel));
}

TEST(PagedText, ConvertShowsTheOemPage)
{
    // "\xAA\xAE\xE2" is "кот" in 866, read as 1251 it is "Є®в".
    PagedText paged(CodePage::ansiFor("rus"));
    paged.openBytes("\xAA\xAE\xE2 cat\n");
    paged.indexAll();
    EXPECT_EQ(paged.encodingName(), QStringLiteral("1251"));
    EXPECT_NE(paged.line(0), QStringLiteral("\u043a\u043e\u0442 cat"));
    paged.setConversions(CodePage::ansiFor("rus"), CodePage::oemFor("rus"), 1);
    EXPECT_EQ(paged.line(0), QStringLiteral("\u043a\u043e\u0442 cat"));
    const auto found = paged.find(QStringLiteral("\u041a\u041e\u0422"), { true, false, false }, {});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->end, (TextPoint { 0, 3 }));
}

TEST(LineBreakScanner, BreaksSplitAcrossBlocks)
{
    // A CRLF cut by a block end is one break; a CR at the end is one too.
    struct Case {
        const char* bytes;
        std::vector<uint64_t> starts;
    } cases[] = {
        { "a\r\nb", { 3 } },
        { "a\r\rb\r", { 2, 3, 5 } },
        { "\n\n", { 1, 2 } },
        { "abc", {} },
    };
    for (const auto& c : cases)
        for (std::size_t split = 0; split <= std::strlen(c.bytes); ++split) {
            LineBreakScanner scanner;
            std::vector<uint64_t> starts;
            const auto* p = reinterpret_cast<const uint8_t*>(c.bytes);
            scanner.scan(p, split, 0, starts);
            scanner.scan(p + split, std::strlen(c.bytes) - split, split, starts);
            scanner.finish(starts);
            EXPECT_EQ(starts, c.starts) << c.bytes << " split at " << split;
        }
}

} // namespace
} // namespace ov
