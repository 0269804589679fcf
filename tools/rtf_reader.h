// RtfReader: the rich-text (RTF) reader behind the help viewer. It turns the
// bytes of an RTF file into paragraphs of formatted runs; it does no I/O and
// knows nothing of windows (rtf_text_document.h puts the result into a
// QTextDocument).
//
// What it reads (a subset of Microsoft's published Rich Text Format
// 1.9.1): groups; \par \line \tab and the common special characters;
// character formatting \b \i \ul \ulnone \plain \fs \cf \f; paragraph
// formatting \pard \ql \qc \qr \qj \li \fi \sb \sa \tx; the colour table; the font table
// with \fcharset, which with \ansicpg (or \mac, \pc, \pca) decides how \'hh
// and raw 8-bit bytes decode; \uN (signed, UTF-16 units, surrogate pairs
// joined) with \ucN fallback skipping; PNG and JPEG pictures (\pict with
// \pngblip or \jpegblip, hex or \bin data). Skipped: {\* ...} destinations,
// \info, \stylesheet, headers, footers, footnotes, field instructions,
// other picture kinds and the other known destinations; unknown control
// words are ignored. Tables come out as text: \cell as a tab, \row as a
// paragraph end.
//
// Limits, so that any input is safe: groups nest at most MaxGroupDepth deep
// (deeper braces are counted but change no state), numeric parameters are
// clamped to 32 bits, \bin never reaches past the input, time and output
// are linear in the input. Broken input (an unterminated group, a stray
// brace, a truncated escape) gives what was read up to there; reading ends
// with the group that opened the document.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

struct RtfColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const RtfColor&) const = default;
};

// Character formatting of a run.
struct RtfCharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSize = 24; // half-points (\fs), 24 = 12 pt
    int font = -1; // number in RtfDocument::fonts; -1 none
    std::optional<RtfColor> color; // none: the default text colour
    bool operator==(const RtfCharFormat&) const = default;
};

// A run of text in one format, or one picture (text empty, picture >= 0).
// Text is UTF-8; "\n" is a line break within the paragraph (\line), "\t" a
// tab.
struct RtfRun {
    std::string text;
    RtfCharFormat format;
    int picture = -1; // index in RtfDocument::pictures
};

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfParagraph {
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndent = 0; // twips (\li)
    int firstIndent = 0; // twips (\fi), may be negative
    int spaceBefore = 0; // twips (\sb)
    int spaceAfter = 0; // twips (\sa)
    std::vector<int> tabs; // tab stops in twips (\tx), at most MaxTabStops
    std::vector<RtfRun> runs;
    // The paragraph's text without formatting.
    std::string text() const;
};

enum class RtfPictureKind { Png, Jpeg };

struct RtfPicture {
    RtfPictureKind kind = RtfPictureKind::Png;
    std::string data; // the file's bytes
    int width = 0; // \picw, \pich
    int height = 0;
    int widthGoal = 0; // twips (\picwgoal, \pichgoal), 0 when not given
    int heightGoal = 0;
    int scaleX = 100; // percent (\picscalex, \picscaley)
    int scaleY = 100;
};

struct RtfFont {
    std::string name;
    int charset = 0; // \fcharset
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
    std::vector<RtfPicture> pictures;
    std::map<int, RtfFont> fonts;
    std::vector<RtfColor> colors; // \colortbl; an empty entry ("auto") is black
    // Facts about the input, for tests and the fuzz target.
    int deepestGroup = 0; // the deepest nesting whose state was kept
    bool complete = false; // the document's first group was closed

    // Every paragraph's text, one line each (line breaks within a paragraph
    // stay "\n"), pictures left out.
    std::string plainText() const;
};

class RtfReader {
public:
    static constexpr int MaxGroupDepth = 256;
    static constexpr int MaxTabStops = 32;
    // Reads a whole RTF file. Never fails: broken input gives what was read.
    static RtfDocument read(std::string_view bytes);
};

// The Windows code page of an RTF character set (\fcharset); 0 when the set
// follows the document's \ansicpg (ANSI and default sets) or is unknown.
int rtfCharsetCodePage(int charset);

} // namespace ov
