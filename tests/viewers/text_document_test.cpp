// The editor's document and code pages: opening and saving never change a
// byte the user did not change.
#include "tests/support/temp_folder.h"
#include "viewers/code_pages.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ov {
namespace {

QByteArray readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    const std::string bytes = out.str();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

std::string fixture(const char* name)
{
    return std::string(OV_DATA_DIR) + "/editor/" + name;
}

struct FixtureCase {
    const char* file;
    const char* ansi;
    const char* encoding;
    qsizetype lines;
    const char* breaks;
    bool finalNewline;
};

const FixtureCase fixtures[] = {
    { "lf.txt", "1252", "utf-8", 2, "LF", true },
    { "crlf.txt", "1252", "utf-8", 2, "CRLF", true },
    { "cr.txt", "1252", "utf-8", 2, "CR", true },
    { "mixed.txt", "1252", "utf-8", 5, "mixed", true },
    { "no_final_newline.txt", "1252", "utf-8", 2, "LF", false },
    { "utf8_bom.txt", "1252", "utf-8-bom", 2, "LF", true },
    { "utf8_bom_invalid.txt", "1252", "utf-8-bom", 1, "LF", true },
    { "utf16le_bom.txt", "1252", "utf-16le", 2, "CRLF", true },
    { "utf16be_bom.txt", "1252", "utf-16be", 2, "LF", false },
    { "utf16le_odd.txt", "1252", "utf-16le", 2, "LF", false },
    { "cp1251.txt", "1251", "1251", 2, "LF", true },
    { "cp866_box.txt", "1251", "1251", 3, "LF", true },
    { "cp866_box.txt", "866", "866", 3, "LF", true },
    { "invalid_utf8.txt", "1252", "1252", 2, "LF", false },
    { "invalid_utf8.txt", "1250", "1250", 2, "LF", false },
    { "nul_bytes.txt", "1252", "utf-8", 2, "LF", true },
};

// The word replaced in every fixture, in the bytes of the file's encoding.
QByteArray encodedWord(const QString& encoding, const char* word)
{
    QByteArray out;
    for (const char* p = word; *p; ++p) {
        if (encoding == "utf-16le")
            out.append(*p).append('\0');
        else if (encoding == "utf-16be")
            out.append('\0').append(*p);
        else
            out.append(*p);
    }
    return out;
}

TEST(TextDocument, FixturesOpenSaveAndReplaceKeepEveryOtherByte)
{
    test::TempFolder folder;
    for (const auto& c : fixtures) {
        SCOPED_TRACE(c.file);
        const QByteArray original = readBytes(fixture(c.file));
        ASSERT_FALSE(original.isEmpty());
        const CodePage* ansi = CodePage::byName(c.ansi);
        ASSERT_NE(ansi, nullptr);

        TextDocument document;
        ASSERT_TRUE(loadTextFile(fixture(c.file), *ansi, document).ok);
        EXPECT_EQ(document.encodingName(), QString::fromLatin1(c.encoding));
        EXPECT_EQ(document.lineCount(), c.lines);
        EXPECT_EQ(document.breaksName(), QString::fromLatin1(c.breaks));
        EXPECT_EQ(document.finalNewline(), c.finalNewline);

        // Open and save unchanged: the same bytes.
        const std::string copy = folder / "copy.txt";
        ASSERT_TRUE(saveTextFile(copy, document).ok);
        EXPECT_EQ(readBytes(copy), original);

        // Replace every "cat" by "dog": only those bytes change.
        QString text = document.joined();
        TextSelection selection;
        SearchOptions options;
        options.matchCase = true;
        EXPECT_GT(replaceText(text, selection, u"cat", u"dog", options, true), 0);
        document.setLines(text.split(u'\n'));
        ASSERT_TRUE(saveTextFile(copy, document).ok);
        QByteArray expected = original;
        expected.replace(
            encodedWord(document.encodingName(), "cat"), encodedWord(document.encodingName(), "dog"));
        EXPECT_EQ(readBytes(copy), expected);
    }
}

TEST(TextDocument, DecodesWhatTheFileSays)
{
    const auto load = [](const char* file, const char* ansi = "1251") {
        TextDocument document;
        EXPECT_TRUE(loadTextFile(fixture(file), *CodePage::byName(ansi), document).ok);
        return document;
    };
    // 1251: 0x98 has no letter and keeps its C1 code point; 0xA0 is the
    // no-break space, never a plain space.
    auto cp1251 = load("cp1251.txt");
    EXPECT_EQ(cp1251.lines()[0].text, QString::fromUtf8("the cat кот\u0098\u00A0и"));
    // 866: box drawing and 0xFF (no-break space).
    auto cp866 = load("cp866_box.txt", "866");
    EXPECT_EQ(cp866.lines()[0].text, QString::fromUtf8("╔══╗ cat"));
    EXPECT_EQ(cp866.lines()[1].text, QString::fromUtf8("║\u00A0║"));
    EXPECT_EQ(cp866.lines()[2].text, QString::fromUtf8("╚══╝\x1A"));
    // Invalid bytes after a UTF-8 mark become escapes.
    auto invalid = load("utf8_bom_invalid.txt");
    EXPECT_EQ(invalid.lines()[0].text,
        QStringLiteral("the cat ") + QChar(0xDCFF) + QChar(0xDCC3) + QLatin1Char(0x28) + QChar(0xDCE2)
            + QChar(0xDC82));
    // A UTF-16 line separator is text, not a break.
    auto be = load("utf16be_bom.txt");
    ASSERT_EQ(be.lines().size(), 2u);
    EXPECT_EQ(be.lines()[1].text, QString::fromUtf16(u"\u2028end"));
}

TEST(TextDocument, NewLinesTakeTheCommonBreakAndOldOnesKeepTheirs)
{
    auto document = TextDocument::fromBytes("a\r\nb\r\nc\nd", CodePage::ansiFor("eng"));
    EXPECT_EQ(document.commonBreak(), LineBreak::CRLF);
    document.setLines({ "A", "B", "C", "x", "y", "D" });
    QByteArray bytes;
    ASSERT_TRUE(document.toBytes(bytes));
    EXPECT_EQ(bytes, QByteArray("A\r\nB\r\nC\nx\r\ny\r\nD"));
}

TEST(TextDocument, CharacterWithoutByteIsReportedNotReplaced)
{
    auto document = TextDocument::fromBytes("ab\xea\ncd", *CodePage::byName("1251"));
    document.setLines({ "ab", QString::fromUtf8("c─d") });
    QByteArray bytes;
    TextDocument::Position bad;
    EXPECT_FALSE(document.toBytes(bytes, &bad));
    EXPECT_EQ(bad.line, 1);
    EXPECT_EQ(bad.column, 1);

    test::TempFolder folder;
    const std::string path = folder.write("t.txt", "ab\xea\ncd");
    const auto result = saveTextFile(path, document);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.unencodable);
    EXPECT_EQ(readBytes(path), QByteArray("ab\xea\ncd"));

    // The way out: save as UTF-8.
    document.convertToUtf8();
    ASSERT_TRUE(saveTextFile(path, document).ok);
    EXPECT_EQ(readBytes(path),
        QByteArray("ab\nc\xe2\x94\x80"
                   "d"));
}

TEST(TextDocument, SaveKeepsModeLinksAndHardLinks)
{
    namespace fs = std::filesystem;
    test::TempFolder folder;
    const std::string target = folder.write("target.txt", "one cat\n");
    fs::permissions(target, fs::perms(0640));
    const std::string link = folder / "link.txt";
    fs::create_symlink("target.txt", link);

    auto document = TextDocument::fromBytes("one dog\n", CodePage::ansiFor("eng"));
    ASSERT_TRUE(saveTextFile(link, document).ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), QByteArray("one dog\n"));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));

    // A second name of the same file sees the saved text, shorter or longer.
    const std::string second = folder / "second.txt";
    fs::create_hard_link(target, second);
    for (const char* text : { "a much longer line than before\n", "x\n" }) {
        document = TextDocument::fromBytes(text, CodePage::ansiFor("eng"));
        ASSERT_TRUE(saveTextFile(target, document).ok);
        EXPECT_EQ(readBytes(second), QByteArray(text));
        EXPECT_EQ(fs::hard_link_count(target), 2u);
    }
}

TEST(TextDocument, FailedSaveLeavesTheFile)
{
    test::TempFolder folder;
    const std::string path = folder.write("file.txt", "kept\n");
    const auto document = TextDocument::fromBytes("new\n", CodePage::ansiFor("eng"));
    // A folder in the file's place cannot be replaced; a missing folder cannot be written.
    const std::string inFolder = folder.folder("sub");
    EXPECT_FALSE(saveTextFile(inFolder, document).ok);
    const auto missing = saveTextFile(folder / "none/file.txt", document);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error, 0);
    EXPECT_EQ(readBytes(path), QByteArray("kept\n"));
}

TEST(CodePages, EveryByteOfEveryPageRoundTrips)
{
    for (const CodePage* page : CodePage::all()) {
        SCOPED_TRACE(page->name().toStdString());
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = page->decode(all);
        for (int b = 0; b < 0x80; ++b)
            EXPECT_EQ(text[b].unicode(), b);
        QByteArray back;
        ASSERT_TRUE(page->encode(text, back));
        EXPECT_EQ(back, all);
    }
    // Pages by language, and the DOS page's logical not in 852.
    EXPECT_EQ(CodePage::ansiFor("pol").name(), "1250");
    EXPECT_EQ(CodePage::oemFor("pol").name(), "852");
    EXPECT_EQ(CodePage::oemFor("rus").name(), "866");
    EXPECT_EQ(CodePage::oemFor("ita").name(), "850");
    EXPECT_EQ(CodePage::byName("852")->toUnicode(0xAA), u'\u00AC');
    EXPECT_EQ(CodePage::byName("866")->toUnicode(0xFF), u'\u00A0');
    EXPECT_EQ(CodePage::byName("437")->toUnicode(0x1A), u'\x1A');
    EXPECT_EQ(CodePage::byName("cp1251"), CodePage::byName("windows-1251"));
    EXPECT_EQ(CodePage::byName("1253"), nullptr);
}

} // namespace
} // namespace ov
