// RtfReader: hand-written golden cases, files written by GNU enscript, the
// limits on hostile input, and ovtool rtf.
#include "tools/rtf_reader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>

using namespace ov;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string latin1ToUtf8(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).toStdString();
}

// A readable form of the runs of one paragraph: "[b]" for bold and so on.
std::string describe(const RtfParagraph& paragraph)
{
    std::string out;
    for (const RtfRun& run : paragraph.runs) {
        out += "[";
        out += run.format.bold ? "b" : "";
        out += run.format.italic ? "i" : "";
        out += run.format.underline ? "u" : "";
        out += "]" + run.text;
    }
    return out;
}

} // namespace

TEST(RtfReader, GoldenText)
{
    struct Case {
        const char* name;
        std::string rtf;
        std::string text; // plainText()
    };
    const Case cases[] = {
        { "plain paragraphs", "{\\rtf1\\ansi one\\par two\\par}", "one\ntwo\n" },
        { "last paragraph without par", "{\\rtf1 one\\par two}", "one\ntwo\n" },
        { "line ends in the file mean nothing", "{\\rtf1 o\r\nne\\par}", "one\n" },
        { "backslash newline is a paragraph", "{\\rtf1 a\\\nb}", "a\nb\n" },
        { "fcharset 204 decodes e0 as Cyrillic a",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}\\f0 \\'e0\\par}",
            "\xD0\xB0\n" },
        { "ansicpg without a font", "{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1\\par}", "\xD0\x90\xD0\xB1\n" },
        { "default ansi page is 1252", "{\\rtf1\\ansi caf\\'e9 \\'80\\par}", "caf\xC3\xA9 \xE2\x82\xAC\n" },
        { "raw 8-bit bytes decode like escapes", "{\\rtf1\\ansi\\ansicpg1251 \xC0\\par}", "\xD0\x90\n" },
        { "font table without inner groups",
            "{\\rtf1{\\fonttbl\\f0\\fswiss\\fcharset238 Helv;\\f1\\fcharset204 Cyr;}\\f1\\'e0\\f0\\'b9\\par}",
            "\xD0\xB0\xC4\x85\n" },
        { "double-byte page", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0\\'82\\'a0\\par}",
            "\xE3\x81\x82\n" },
        { "u with uc1 skips one fallback", "{\\rtf1\\uc1 \\u1072?b\\par}",
            "\xD0\xB0"
            "b\n" },
        { "uc2 skips escapes as characters", "{\\rtf1\\uc2\\u1072\\'e0\\'e1c\\par}",
            "\xD0\xB0"
            "c\n" },
        { "uc0 skips nothing", "{\\rtf1\\uc0\\u1072 x\\par}", "\xD0\xB0x\n" },
        { "negative u is an unsigned unit", "{\\rtf1\\u-3913?\\par}", "\xEF\x82\xB7\n" },
        { "surrogate pair", "{\\rtf1\\u-10179?\\u-8704?\\par}", "\xF0\x9F\x98\x80\n" },
        { "lone surrogate", "{\\rtf1\\u-10179?x\\par}", "\xEF\xBF\xBDx\n" },
        { "uc is scoped to its group", "{\\rtf1{\\uc3 x}\\u1072?y\\par}", "x\xD0\xB0y\n" },
        { "a brace ends fallback skipping", "{\\rtf1\\uc5\\u1072{z}\\par}", "\xD0\xB0z\n" },
        { "special characters",
            "{\\rtf1 a\\tab b\\line c\\~d\\{\\}\\\\\\emdash\\endash\\bullet\\lquote\\rquote\\par}",
            "a\tb\nc\xC2\xA0"
            "d{}\\\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\n" },
        { "optional hyphen shows nothing", "{\\rtf1 hy\\-phen\\par}", "hyphen\n" },
        { "ignorable destinations are skipped",
            "{\\rtf1{\\*\\generator Writer 1.0;}{\\*\\unknown {x}y}a\\par}", "a\n" },
        { "info, stylesheet, header and footer are skipped",
            "{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\header H}{\\footer "
            "F}a\\par}",
            "a\n" },
        { "field shows its result", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}\\par}",
            "link\n" },
        { "fldinst without star is skipped too", "{\\rtf1{\\field{\\fldinst PAGE}{\\fldrslt 1}}\\par}",
            "1\n" },
        { "unknown words are ignored, their text kept", "{\\rtf1\\foo12 \\barx a\\par}", "a\n" },
        { "bin data is skipped", "{\\rtf1 a{\\*\\blob\\bin3 {}\\}b\\par}", "ab\n" },
        { "bin beyond the input is clamped", "{\\rtf1 a\\bin999999 xyz", "a\n" },
        { "negative bin skips nothing", "{\\rtf1 a\\bin-5 b\\par}", "ab\n" },
        { "unterminated group gives what was read", "{\\rtf1 one\\par two {\\b three", "one\ntwo three\n" },
        { "input ending inside a skipped group", "{\\rtf1 abc{\\*\\foo x", "abc\n" },
        { "input ending inside the font table", "{\\rtf1 abc\\par{\\fonttbl{\\f0 Ari", "abc\n" },
        { "truncated escape", "{\\rtf1 x\\'", "x\n" },
        { "truncated hex escape", "{\\rtf1 x\\'4", "x\n" },
        { "trailing backslash", "{\\rtf1 x\\", "x\n" },
        { "text after the document is ignored", "{\\rtf1 a\\par}b\\par", "a\n" },
        { "stray closing brace before the document", "}{\\rtf1 a\\par}", "a\n" },
        { "tables as text", "{\\rtf1\\trowd a\\cell b\\cell\\row c\\par}", "a\tb\t\nc\n" },
        { "controls are dropped",
            std::string("{\\rtf1 a\x01\x7f"
                        "b\\u0 \\u7 c\\par}"),
            "abc\n" },
        { "empty input", "", "" },
        { "not RTF at all", "plain words", "plain words\n" },
    };
    for (const Case& c : cases) {
        const RtfDocument document = RtfReader::read(c.rtf);
        EXPECT_EQ(document.plainText(), c.text) << c.name;
    }
}

TEST(RtfReader, NestedGroupsAndCharacterFormatting)
{
    const RtfDocument document
        = RtfReader::read("{\\rtf1 a{\\b b{\\i c}d\\ul e\\ul0 f\\ulnone}g\\b h\\b0 i{\\i\\b\\plain j}\\par}");
    ASSERT_EQ(document.paragraphs.size(), 1u);
    EXPECT_EQ(describe(document.paragraphs[0]), "[]a[b]b[bi]c[b]d[bu]e[b]f[]g[b]h[]ij");
    EXPECT_TRUE(document.complete);
    EXPECT_EQ(document.deepestGroup, 3);
}

TEST(RtfReader, ParagraphFormattingAndColours)
{
    const RtfDocument document
        = RtfReader::read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
                          "\\pard\\qc\\li720\\fi-360\\fs32 Title\\par"
                          "\\pard\\qr right\\par"
                          "\\pard\\qj\\cf1 red\\cf2 green\\cf0 auto\\cf99 out\\par"
                          "{\\pard\\qc in group\\par}after\\par}");
    ASSERT_EQ(document.paragraphs.size(), 5u);
    const RtfParagraph& title = document.paragraphs[0];
    EXPECT_EQ(title.alignment, RtfAlignment::Center);
    EXPECT_EQ(title.leftIndent, 720);
    EXPECT_EQ(title.firstIndent, -360);
    EXPECT_EQ(title.runs[0].format.fontSize, 32);
    EXPECT_EQ(document.paragraphs[1].alignment, RtfAlignment::Right);
    EXPECT_EQ(document.paragraphs[1].leftIndent, 0);
    const RtfParagraph& colours = document.paragraphs[2];
    EXPECT_EQ(colours.alignment, RtfAlignment::Justify);
    ASSERT_EQ(colours.runs.size(), 3u);
    EXPECT_EQ(colours.runs[0].format.color, (RtfColor { 255, 0, 0 }));
    EXPECT_EQ(colours.runs[1].format.color, (RtfColor { 0, 128, 0 }));
    EXPECT_FALSE(colours.runs[2].format.color) << "cf0 is the auto entry, cf99 is outside the table";
    EXPECT_EQ(colours.runs[2].text, "autoout");
    EXPECT_EQ(document.paragraphs[3].alignment, RtfAlignment::Center);
    EXPECT_EQ(document.paragraphs[4].alignment, RtfAlignment::Justify) << "the group restored the state";
    ASSERT_EQ(document.colors.size(), 3u);
}

TEST(RtfReader, SpacingAndTabStops)
{
    std::string manyTabs;
    for (int i = 1; i <= 40; ++i)
        manyTabs += "\\tx" + std::to_string(i * 100);
    const RtfDocument document = RtfReader::read("{\\rtf1\\pard\\sb120\\sa60\\tx720\\tx1440 a\\tab b\\par"
                                                 "{\\tx2000 c\\par}d\\par\\pard e\\par"
        + manyTabs + " f\\par}");
    ASSERT_EQ(document.paragraphs.size(), 5u);
    const RtfParagraph& first = document.paragraphs[0];
    EXPECT_EQ(first.spaceBefore, 120);
    EXPECT_EQ(first.spaceAfter, 60);
    EXPECT_EQ(first.tabs, (std::vector<int> { 720, 1440 }));
    EXPECT_EQ(document.paragraphs[1].tabs, (std::vector<int> { 720, 1440, 2000 }));
    EXPECT_EQ(document.paragraphs[2].tabs, (std::vector<int> { 720, 1440 }))
        << "the group restored the stops";
    EXPECT_TRUE(document.paragraphs[3].tabs.empty());
    EXPECT_EQ(document.paragraphs[3].spaceBefore, 0);
    ASSERT_EQ(document.paragraphs[4].tabs.size(), std::size_t(RtfReader::MaxTabStops));
    EXPECT_EQ(document.paragraphs[4].tabs.back(), RtfReader::MaxTabStops * 100);
}

TEST(RtfReader, FontTable)
{
    const RtfDocument document = RtfReader::read("{\\rtf1\\deff1{\\fonttbl{\\f0\\froman\\fcharset0 Times New "
                                                 "Roman;}{\\f1\\fswiss{\\*\\panose 0}Arial;}}"
                                                 "a\\f0 b\\plain c\\par}");
    ASSERT_EQ(document.fonts.size(), 2u);
    EXPECT_EQ(document.fonts.at(0).name, "Times New Roman");
    EXPECT_EQ(document.fonts.at(1).name, "Arial");
    const auto& runs = document.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].format.font, 1);
    EXPECT_EQ(runs[1].format.font, 0);
    EXPECT_EQ(runs[2].format.font, 1) << "\\plain goes back to the default font";
}

TEST(RtfReader, HostileInputStaysBounded)
{
    // Groups nest deeper than the cap: the braces still match, the state of
    // the levels beyond it is not kept.
    const std::string deep = "{\\rtf1 " + std::string(300, '{') + "\\b x" + std::string(300, '}') + "y\\par}";
    const RtfDocument nested = RtfReader::read(deep);
    EXPECT_EQ(nested.plainText(), "xy\n");
    EXPECT_EQ(nested.deepestGroup, RtfReader::MaxGroupDepth);
    EXPECT_TRUE(nested.complete);
    EXPECT_FALSE(nested.paragraphs[0].runs.back().format.bold);

    // A million unclosed braces: memory stays at the cap.
    const RtfDocument open = RtfReader::read(std::string(1000000, '{') + "z");
    EXPECT_EQ(open.deepestGroup, RtfReader::MaxGroupDepth);
    EXPECT_EQ(open.plainText(), "z\n");

    // Numbers clamp to 32 bits.
    const RtfDocument numbers = RtfReader::read(
        "{\\rtf1\\li99999999999999999999\\fi-99999999999999999999\\fs99999999999 \\cf4294967297 a\\par}");
    ASSERT_EQ(numbers.paragraphs.size(), 1u);
    EXPECT_EQ(numbers.paragraphs[0].leftIndent, INT_MAX);
    EXPECT_EQ(numbers.paragraphs[0].firstIndent, INT_MIN);
    EXPECT_EQ(numbers.paragraphs[0].runs[0].format.fontSize, 3276);
    EXPECT_EQ(RtfReader::read("{\\rtf1\\uc0\\u99999999999 \\u-99999999999 \\par}").plainText(),
        "\xEF\xBF\xBD\xEF\xBF\xBD\n");
}

TEST(RtfReader, Pictures)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    const std::string hex = png.toHex().toStdString();

    const std::string rtf
        = "{\\rtf1 a{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30{\\*\\blipuid 00ff}\r\n"
        + hex.substr(0, 10) + "\r\n" + hex.substr(10) + "}b"
        + "{\\*\\shppict{\\pict\\jpegblip\\bin4 \xFF\xD8\xFF\xD9}}{\\nonshppict{\\pict\\wmetafile8 0102}}"
        + "{\\pict\\wmetafile8 0102}c\\par}";
    const RtfDocument document = RtfReader::read(rtf);
    EXPECT_EQ(document.plainText(), "abc\n");
    ASSERT_EQ(document.pictures.size(), 2u);
    EXPECT_EQ(document.pictures[0].kind, RtfPictureKind::Png);
    EXPECT_EQ(document.pictures[0].data, png.toStdString());
    EXPECT_EQ(document.pictures[0].width, 3);
    EXPECT_EQ(document.pictures[0].widthGoal, 45);
    EXPECT_EQ(document.pictures[0].heightGoal, 30);
    EXPECT_EQ(document.pictures[1].kind, RtfPictureKind::Jpeg);
    EXPECT_EQ(document.pictures[1].data, "\xFF\xD8\xFF\xD9");
    const auto& runs = document.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[1].picture, 0);
    EXPECT_EQ(runs[3].picture, 1);
}

// Files written by GNU enscript: the committed ones, and one written now
// when enscript is installed.
TEST(RtfReader, EnscriptFiles)
{
    const std::string folder = std::string(OV_DATA_DIR) + "/rtf/enscript/";
    const RtfDocument notes = RtfReader::read(readFile(folder + "notes.rtf"));
    EXPECT_TRUE(notes.complete);
    EXPECT_EQ(notes.plainText(), latin1ToUtf8(readFile(folder + "notes.txt")) + "\n");
    EXPECT_EQ(notes.fonts.at(0).name, "Courier New");
    EXPECT_EQ(notes.colors.size(), 30u);

    const RtfDocument code = RtfReader::read(readFile(folder + "count.rtf"));
    EXPECT_EQ(code.plainText(), readFile(folder + "count.c") + "\n");
    ASSERT_EQ(code.paragraphs.size(), 1u);
    EXPECT_EQ(describe(code.paragraphs[0]).substr(0, 54),
        "[i]/* Count the files. */[]\n[b]int[] [b]count[]([b]int");

    const QString enscript = QStandardPaths::findExecutable("enscript");
    if (enscript.isEmpty())
        GTEST_SKIP() << "enscript is not installed (scripts/deps installs it)";
    QTemporaryDir dir;
    const QString text = dir.filePath("words.txt");
    std::string words;
    for (int i = 0; i < 200; ++i)
        words += "line " + std::to_string(i) + " {x} \xE0\xFF\t end\n";
    std::ofstream(text.toStdString(), std::ios::binary) << words;
    QProcess process;
    process.start(enscript, { "-q", "-w", "rtf", "-o", dir.filePath("words.rtf"), text });
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0);
    EXPECT_EQ(RtfReader::read(readFile(dir.filePath("words.rtf").toStdString())).plainText(),
        latin1ToUtf8(words) + "\n");
}

TEST(RtfReader, OvtoolPrintsTextAndRuns)
{
    const std::string ovtool = std::string(OV_BINARY_DIR) + "/cli/ovtool";
    if (!QFile::exists(QString::fromStdString(ovtool)))
        GTEST_SKIP() << "ovtool is not part of this build";
    QTemporaryDir dir;
    const std::string file = dir.filePath("t.rtf").toStdString();
    std::ofstream(file, std::ios::binary) << "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\qc\\b Bold\\b0  "
                                             "\\cf1 red\\line x\\par tab\\tab\\par}";
    QProcess process;
    process.start(QString::fromStdString(ovtool), { "rtf", QString::fromStdString(file) });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), "Bold red\nx\ntab\t\n");
    process.start(QString::fromStdString(ovtool), { "rtf", "--runs", QString::fromStdString(file) });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.readAllStandardOutput().toStdString(),
        "paragraph center li=0 fi=0\n"
        "  b fs=24 \"Bold\"\n"
        "  fs=24 \" \"\n"
        "  fs=24 color=#FF0000 \"red\\nx\"\n"
        "paragraph center li=0 fi=0\n"
        "  fs=24 color=#FF0000 \"tab\\t\"\n");
    process.start(QString::fromStdString(ovtool), { "rtf", dir.filePath("missing.rtf") });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
}
