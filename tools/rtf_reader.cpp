// The RTF reader; see rtf_reader.h. Control words and their meaning follow
// Microsoft's published Rich Text Format documentation, version 1.9.1.
//
// One pass over the bytes. Each '{' saves the formatting state on a stack
// (at most MaxGroupDepth entries), each '}' restores it; the state also says
// where text goes (the document, the font or colour table, a picture, or
// nowhere). Bytes of a code page (\'hh and raw 8-bit bytes) gather in a
// small buffer that is decoded as soon as anything else arrives, so that
// double-byte code pages decode whole characters.
#include "tools/rtf_reader.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>

namespace ov {

namespace {

enum class Destination { Text, Skip, FontTable, ColorTable, Picture };

struct GroupState {
    RtfCharFormat format;
    int colorIndex = 0;
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::array<int, RtfReader::MaxTabStops> tabs {};
    int tabCount = 0;
    int unicodeSkip = 1; // \uc
    Destination destination = Destination::Text;
};

// Destinations whose contents are never shown (besides those marked
// with \*). The font and colour tables and pictures are read.
constexpr const char* SkippedDestinations[] = { "stylesheet", "info", "header", "headerl", "headerr",
    "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst", "object",
    "objdata", "nonshppict", "listtable", "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "template",
    "filetbl", "themedata", "colorschememapping", "latentstyles", "datastore", "pgdsctbl", "private", "txe",
    "xe", "tc", "rxe", "bkmkstart", "bkmkend", "author", "operator", "title", "subject", "comment", "doccomm",
    "keywords", "company", "creatim", "revtim", "printim", "buptim", "ftnsep", "ftnsepc", "aftnsep",
    "aftnsepc", "generator", "userprops", "mmathPr", "docvar", "atnid", "atnauthor", "atnref", "atndate",
    "atnicn", "pn" };

bool isSkippedDestination(std::string_view word)
{
    return std::any_of(std::begin(SkippedDestinations), std::end(SkippedDestinations),
        [word](const char* name) { return word == name; });
}

// Words that stand for one character.
struct SpecialCharacter {
    const char* word;
    char32_t character;
};
constexpr SpecialCharacter SpecialCharacters[]
    = { { "tab", U'\t' }, { "line", U'\n' }, { "cell", U'\t' }, { "emdash", 0x2014 }, { "endash", 0x2013 },
          { "bullet", 0x2022 }, { "lquote", 0x2018 }, { "rquote", 0x2019 }, { "ldblquote", 0x201C },
          { "rdblquote", 0x201D }, { "emspace", 0x2003 }, { "enspace", 0x2002 }, { "qmspace", 0x2005 } };

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

constexpr char32_t Replacement = 0xFFFD;

int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The decoder name of a Windows code page; nullptr for pages we do not
// decode (they fall back to 1252).
const char* codePageName(int codePage)
{
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 866:
        return "IBM866";
    case 874:
        return "windows-874";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 10000:
        return "macintosh";
    case 10007:
        return "x-mac-cyrillic";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

class Parser {
public:
    explicit Parser(std::string_view input)
        : m_in(input)
    {
    }
    RtfDocument run();

private:
    // Tokens.
    void openGroup();
    void closeGroup();
    void controlWord(std::string_view word, bool hasParameter, int parameter);
    void controlSymbol(char symbol);
    void textByte(unsigned char byte);
    void codePageByte(unsigned char byte);
    void binary(int length);

    // Output.
    void appendCharacter(char32_t c);
    void appendUnit(int unit);
    void appendToRun(std::string_view utf8);
    void flushBytes();
    void flushSurrogate();
    void endParagraph();
    void commitFont();
    void commitColor();
    void endPicture();
    int codePageOf(int font) const;
    QStringDecoder& decoder(int codePage);
    // True when a fallback character of \u is being skipped (and counts it).
    bool skipFallback();

    std::string_view m_in;
    std::size_t m_pos = 0;
    RtfDocument m_doc;
    std::vector<GroupState> m_stack;
    GroupState m_state;
    int m_overflow = 0; // braces opened beyond MaxGroupDepth
    bool m_ignorableNext = false; // the word after \*
    int m_skip = 0; // fallback characters of \u still to skip
    int m_highSurrogate = 0;
    std::string m_bytes; // code-page bytes not decoded yet
    int m_ansiCodePage = 1252;
    int m_defaultFont = -1;
    RtfParagraph m_paragraph;
    std::vector<bool> m_autoColor;
    // The font table entry being read.
    int m_fontNumber = -1;
    RtfFont m_font;
    // The colour table entry being read.
    RtfColor m_color;
    bool m_colorGiven = false;
    // The picture being read.
    RtfPicture m_picture;
    bool m_pictureKnown = false;
    int m_nibble = -1;
    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;
    bool m_done = false;
};

RtfDocument Parser::run()
{
    const std::size_t size = m_in.size();
    while (m_pos < size && !m_done) {
        const unsigned char c = static_cast<unsigned char>(m_in[m_pos++]);
        if (c == '{') {
            flushBytes();
            openGroup();
        } else if (c == '}') {
            flushBytes();
            closeGroup();
        } else if (c == '\\') {
            if (m_pos >= size)
                break;
            const unsigned char next = static_cast<unsigned char>(m_in[m_pos]);
            if (!((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))) {
                ++m_pos;
                if (next == '\'') {
                    // \'hh: one byte of the current code page.
                    int value = 0;
                    int digits = 0;
                    while (digits < 2 && m_pos < size) {
                        const int nibble = hexValue(static_cast<unsigned char>(m_in[m_pos]));
                        if (nibble < 0)
                            break;
                        value = value * 16 + nibble;
                        ++digits;
                        ++m_pos;
                    }
                    if (digits > 0)
                        codePageByte(static_cast<unsigned char>(value));
                } else {
                    flushBytes();
                    controlSymbol(char(next));
                }
                continue;
            }
            // A control word: letters, an optional signed number, and
            // one space that belongs to it.
            const std::size_t start = m_pos;
            while (m_pos < size
                && ((m_in[m_pos] >= 'a' && m_in[m_pos] <= 'z') || (m_in[m_pos] >= 'A' && m_in[m_pos] <= 'Z')))
                ++m_pos;
            const std::string_view word = m_in.substr(start, std::min<std::size_t>(m_pos - start, 32));
            bool negative = false;
            if (m_pos + 1 < size && m_in[m_pos] == '-' && m_in[m_pos + 1] >= '0' && m_in[m_pos + 1] <= '9') {
                negative = true;
                ++m_pos;
            }
            bool hasParameter = false;
            int64_t value = 0;
            while (m_pos < size && m_in[m_pos] >= '0' && m_in[m_pos] <= '9') {
                hasParameter = true;
                value = std::min<int64_t>(value * 10 + (m_in[m_pos] - '0'), int64_t(INT_MAX) + 1);
                ++m_pos;
            }
            if (negative)
                value = -value;
            const int parameter = int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
            if (m_pos < size && m_in[m_pos] == ' ')
                ++m_pos;
            if (word != "bin")
                flushBytes();
            controlWord(word, hasParameter, parameter);
        } else if (c == '\r' || c == '\n') {
            // Line ends in the file mean nothing.
        } else if (c >= 0x80) {
            codePageByte(c);
        } else {
            flushBytes();
            textByte(c);
        }
    }
    flushBytes();
    flushSurrogate();
    // The text read so far ends the document, also when the input stopped
    // inside a group whose contents are not shown.
    if (!m_paragraph.runs.empty()) {
        m_state.destination = Destination::Text;
        endParagraph();
    }
    return std::move(m_doc);
}

void Parser::openGroup()
{
    m_skip = 0;
    m_ignorableNext = false;
    if (int(m_stack.size()) >= RtfReader::MaxGroupDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_state);
    m_doc.deepestGroup = std::max(m_doc.deepestGroup, int(m_stack.size()));
}

void Parser::closeGroup()
{
    m_skip = 0;
    m_ignorableNext = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.empty())
        return; // a stray brace
    flushSurrogate();
    const Destination inner = m_state.destination;
    const Destination outer = m_stack.back().destination;
    if (inner == Destination::FontTable)
        commitFont();
    if (inner == Destination::Picture && outer != Destination::Picture)
        endPicture();
    m_state = m_stack.back();
    m_stack.pop_back();
    if (m_stack.empty()) {
        m_doc.complete = true;
        m_done = true;
    }
}

bool Parser::skipFallback()
{
    if (m_skip <= 0)
        return false;
    --m_skip;
    return true;
}

void Parser::textByte(unsigned char byte)
{
    if (skipFallback())
        return;
    switch (m_state.destination) {
    case Destination::FontTable:
        if (byte == ';')
            commitFont();
        else if (m_fontNumber >= 0 && byte >= 0x20)
            m_font.name += char(byte);
        return;
    case Destination::ColorTable:
        if (byte == ';')
            commitColor();
        return;
    case Destination::Picture:
        if (const int nibble = hexValue(byte); nibble >= 0) {
            if (m_nibble < 0) {
                m_nibble = nibble;
            } else {
                m_picture.data += char(m_nibble * 16 + nibble);
                m_nibble = -1;
            }
        }
        return;
    case Destination::Skip:
        return;
    case Destination::Text:
        break;
    }
    if (byte == '\t')
        appendCharacter(U'\t');
    else if (byte >= 0x20 && byte != 0x7F)
        appendCharacter(byte);
}

void Parser::codePageByte(unsigned char byte)
{
    if (skipFallback())
        return;
    if (m_state.destination != Destination::Text)
        return;
    m_bytes += char(byte);
}

void Parser::binary(int length)
{
    // The data of \bin never reaches past the input.
    const std::size_t count = std::min<std::size_t>(std::max(length, 0), m_in.size() - m_pos);
    if (m_state.destination == Destination::Picture && m_skip <= 0)
        m_picture.data.append(m_in.substr(m_pos, count));
    m_pos += count;
    skipFallback();
}

void Parser::controlSymbol(char symbol)
{
    if (symbol == '*') {
        m_ignorableNext = true;
        return;
    }
    if (skipFallback())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textByte(static_cast<unsigned char>(symbol));
        return;
    case '\r':
    case '\n':
        controlWord("par", false, 0);
        return;
    case '~':
        if (m_state.destination == Destination::Text)
            appendCharacter(0x00A0);
        return;
    case '_':
        if (m_state.destination == Destination::Text)
            appendCharacter(0x2011);
        return;
    case '\t':
        if (m_state.destination == Destination::Text)
            appendCharacter(U'\t');
        return;
    default:
        return; // \- (optional hyphen), \: (index entry), \| (formula) show nothing
    }
}

void Parser::controlWord(std::string_view word, bool hasParameter, int parameter)
{
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    if (word == "bin") {
        binary(hasParameter ? parameter : 0);
        return;
    }
    if (word == "u") {
        if (skipFallback())
            return;
        appendUnit(parameter < 0 ? parameter + 65536 : parameter);
        m_skip = m_state.unicodeSkip;
        return;
    }
    if (skipFallback())
        return;
    GroupState& s = m_state;
    if (s.destination == Destination::Skip)
        return;

    // Destinations.
    if (word == "shppict")
        return; // the picture inside is read (its twin \nonshppict is skipped)
    if (word == "fonttbl") {
        s.destination = Destination::FontTable;
        return;
    }
    if (word == "colortbl") {
        s.destination = Destination::ColorTable;
        m_color = RtfColor();
        m_colorGiven = false;
        return;
    }
    if (word == "pict") {
        if (s.destination != Destination::Picture) {
            s.destination = Destination::Picture;
            m_picture = RtfPicture();
            m_pictureKnown = false;
            m_nibble = -1;
        }
        return;
    }
    if (ignorable || isSkippedDestination(word)) {
        s.destination = Destination::Skip;
        return;
    }

    const auto on = [&] { return !hasParameter || parameter != 0; };
    switch (s.destination) {
    case Destination::FontTable:
        if (word == "f") {
            commitFont();
            m_fontNumber = parameter;
        } else if (word == "fcharset") {
            m_font.charset = parameter;
        }
        return;
    case Destination::ColorTable:
        if (word == "red") {
            m_color.red = uint8_t(std::clamp(parameter, 0, 255));
            m_colorGiven = true;
        } else if (word == "green") {
            m_color.green = uint8_t(std::clamp(parameter, 0, 255));
            m_colorGiven = true;
        } else if (word == "blue") {
            m_color.blue = uint8_t(std::clamp(parameter, 0, 255));
            m_colorGiven = true;
        }
        return;
    case Destination::Picture:
        if (word == "pngblip") {
            m_picture.kind = RtfPictureKind::Png;
            m_pictureKnown = true;
        } else if (word == "jpegblip") {
            m_picture.kind = RtfPictureKind::Jpeg;
            m_pictureKnown = true;
        } else if (word == "emfblip" || word == "wmetafile" || word == "dibitmap" || word == "wbitmap"
            || word == "macpict" || word == "pmmetafile") {
            m_pictureKnown = false;
        } else if (word == "picw") {
            m_picture.width = parameter;
        } else if (word == "pich") {
            m_picture.height = parameter;
        } else if (word == "picwgoal") {
            m_picture.widthGoal = parameter;
        } else if (word == "pichgoal") {
            m_picture.heightGoal = parameter;
        } else if (word == "picscalex") {
            m_picture.scaleX = parameter;
        } else if (word == "picscaley") {
            m_picture.scaleY = parameter;
        }
        return;
    case Destination::Skip:
        return;
    case Destination::Text:
        break;
    }

    // Document-wide settings.
    if (word == "ansi") {
        m_ansiCodePage = 1252;
    } else if (word == "mac") {
        m_ansiCodePage = 10000;
    } else if (word == "pc") {
        m_ansiCodePage = 437;
    } else if (word == "pca") {
        m_ansiCodePage = 850;
    } else if (word == "ansicpg") {
        m_ansiCodePage = parameter;
    } else if (word == "deff") {
        m_defaultFont = parameter;
        s.format.font = parameter;
    } else if (word == "uc") {
        s.unicodeSkip = std::max(parameter, 0);
        // Paragraph ends and breaks.
    } else if (word == "par" || word == "row" || word == "page") {
        endParagraph();
        // Character formatting.
    } else if (word == "plain") {
        s.format = RtfCharFormat();
        s.format.font = m_defaultFont;
        s.colorIndex = 0;
    } else if (word == "b") {
        s.format.bold = on();
    } else if (word == "i") {
        s.format.italic = on();
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash"
        || word == "ulth" || word == "ulwave") {
        s.format.underline = on();
    } else if (word == "ulnone") {
        s.format.underline = false;
    } else if (word == "fs") {
        s.format.fontSize = hasParameter && parameter > 0 ? std::min(parameter, 3276) : 24;
    } else if (word == "f") {
        s.format.font = parameter;
    } else if (word == "cf") {
        s.colorIndex = parameter;
        // Paragraph formatting.
    } else if (word == "pard") {
        s.alignment = RtfAlignment::Left;
        s.leftIndent = 0;
        s.firstIndent = 0;
        s.spaceBefore = 0;
        s.spaceAfter = 0;
        s.tabCount = 0;
    } else if (word == "sb") {
        s.spaceBefore = parameter;
    } else if (word == "sa") {
        s.spaceAfter = parameter;
    } else if (word == "tx") {
        if (s.tabCount < RtfReader::MaxTabStops)
            s.tabs[std::size_t(s.tabCount++)] = parameter;
    } else if (word == "ql") {
        s.alignment = RtfAlignment::Left;
    } else if (word == "qc") {
        s.alignment = RtfAlignment::Center;
    } else if (word == "qr") {
        s.alignment = RtfAlignment::Right;
    } else if (word == "qj") {
        s.alignment = RtfAlignment::Justify;
    } else if (word == "li") {
        s.leftIndent = parameter;
    } else if (word == "fi") {
        s.firstIndent = parameter;
    } else {
        for (const SpecialCharacter& special : SpecialCharacters) {
            if (word == special.word) {
                appendCharacter(special.character);
                return;
            }
        }
        // Anything else is a word this reader does not need.
    }
}

void Parser::appendUnit(int unit)
{
    if (m_state.destination != Destination::Text)
        return;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        flushSurrogate();
        m_highSurrogate = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (m_highSurrogate == 0) {
            appendCharacter(Replacement);
            return;
        }
        const char32_t c = 0x10000 + ((char32_t(m_highSurrogate) - 0xD800) << 10) + (char32_t(unit) - 0xDC00);
        m_highSurrogate = 0;
        appendCharacter(c);
        return;
    }
    if (unit < 0 || unit > 0xFFFF)
        appendCharacter(Replacement);
    else if (unit >= 0x20 || unit == '\t')
        appendCharacter(char32_t(unit));
}

void Parser::flushSurrogate()
{
    if (m_highSurrogate == 0)
        return;
    m_highSurrogate = 0;
    appendCharacter(Replacement);
}

void Parser::appendCharacter(char32_t c)
{
    if (m_highSurrogate != 0) {
        m_highSurrogate = 0;
        appendCharacter(Replacement);
    }
    std::string utf8;
    appendUtf8(utf8, c);
    appendToRun(utf8);
}

void Parser::appendToRun(std::string_view utf8)
{
    RtfCharFormat format = m_state.format;
    const int index = m_state.colorIndex;
    if (index >= 0 && index < int(m_doc.colors.size()) && !m_autoColor[std::size_t(index)])
        format.color = m_doc.colors[std::size_t(index)];
    std::vector<RtfRun>& runs = m_paragraph.runs;
    if (runs.empty() || runs.back().picture >= 0 || !(runs.back().format == format))
        runs.push_back(RtfRun { std::string(), format, -1 });
    runs.back().text.append(utf8);
}

int Parser::codePageOf(int font) const
{
    const auto found = m_doc.fonts.find(font);
    if (found != m_doc.fonts.end()) {
        const int page = rtfCharsetCodePage(found->second.charset);
        if (page != 0)
            return page;
    }
    return m_ansiCodePage;
}

QStringDecoder& Parser::decoder(int codePage)
{
    if (!codePageName(codePage))
        codePage = 1252;
    std::unique_ptr<QStringDecoder>& slot = m_decoders[codePage];
    if (!slot)
        slot = std::make_unique<QStringDecoder>(codePageName(codePage), QStringDecoder::Flag::Stateless);
    return *slot;
}

void Parser::flushBytes()
{
    if (m_bytes.empty())
        return;
    const std::string bytes = std::move(m_bytes);
    m_bytes.clear();
    QStringDecoder& decode = decoder(codePageOf(m_state.format.font));
    QString text;
    if (decode.isValid())
        text = decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    else
        text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    const QByteArray utf8 = text.toUtf8();
    // Controls decoded from the page are dropped as typed ones are.
    std::string kept;
    for (const char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            kept += c;
    if (m_highSurrogate != 0)
        flushSurrogate();
    if (!kept.empty())
        appendToRun(kept);
}

void Parser::endParagraph()
{
    if (m_state.destination != Destination::Text)
        return;
    flushSurrogate();
    m_paragraph.alignment = m_state.alignment;
    m_paragraph.leftIndent = m_state.leftIndent;
    m_paragraph.firstIndent = m_state.firstIndent;
    m_paragraph.spaceBefore = m_state.spaceBefore;
    m_paragraph.spaceAfter = m_state.spaceAfter;
    m_paragraph.tabs.assign(m_state.tabs.begin(), m_state.tabs.begin() + m_state.tabCount);
    m_doc.paragraphs.push_back(std::move(m_paragraph));
    m_paragraph = RtfParagraph();
}

void Parser::commitFont()
{
    if (m_fontNumber < 0)
        return;
    std::string& name = m_font.name;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(name.begin());
    m_doc.fonts[m_fontNumber] = std::move(m_font);
    m_font = RtfFont();
    m_fontNumber = -1;
}

void Parser::commitColor()
{
    m_doc.colors.push_back(m_color);
    m_autoColor.push_back(!m_colorGiven);
    m_color = RtfColor();
    m_colorGiven = false;
}

void Parser::endPicture()
{
    if (!m_pictureKnown || m_picture.data.empty() || m_stack.back().destination != Destination::Text)
        return;
    // A picture sits in the text where its group was.
    m_doc.pictures.push_back(std::move(m_picture));
    m_picture = RtfPicture();
    m_pictureKnown = false;
    RtfRun run;
    run.format = m_stack.back().format;
    run.picture = int(m_doc.pictures.size()) - 1;
    m_paragraph.runs.push_back(std::move(run));
}

} // namespace

std::string RtfParagraph::text() const
{
    std::string out;
    for (const RtfRun& run : runs)
        out += run.text;
    return out;
}

std::string RtfDocument::plainText() const
{
    std::string out;
    for (const RtfParagraph& paragraph : paragraphs) {
        out += paragraph.text();
        out += '\n';
    }
    return out;
}

RtfDocument RtfReader::read(std::string_view bytes)
{
    return Parser(bytes).run();
}

int rtfCharsetCodePage(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

} // namespace ov
