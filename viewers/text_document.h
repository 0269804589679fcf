// The editor's document without a widget: a file's bytes as lines of text
// and back, byte for byte.
//
// Loading decides the encoding (a byte order mark, else valid UTF-8, else
// the language's ANSI page) and never drops a byte: a byte that is not
// valid in the encoding becomes an escape character (U+DC00 + byte) that
// saving writes back as the byte. Each line keeps the break that ended it
// (LF, CRLF or CR); the last line has none, so a final newline shows as an
// empty last line. The byte order mark is kept.
#pragma once

#include "viewers/code_pages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace ov {

enum class LineBreak : unsigned char { None, LF, CRLF, CR };

enum class TextEncoding : unsigned char { CodePage, Utf8, Utf16LE, Utf16BE };

// An undecodable byte b is held as the lone surrogate U+DC00 + b (U+DC80 to
// U+DCFF for the bytes UTF-8 can reject; any byte for the odd last byte of
// UTF-16).
constexpr char16_t escapeBase = 0xDC00;

// UTF-8 with escapes: decoding marks each byte of an invalid sequence as an
// escape (*valid false then); encoding writes escapes back as their bytes
// and fails (with *badPosition) on any other lone surrogate.
QString decodeUtf8Escaped(QByteArrayView bytes, bool* valid = nullptr);
bool encodeUtf8Escaped(QStringView text, QByteArray& out, qsizetype* badPosition = nullptr);
// The same decoding appended to out; returns whether the bytes were valid.
bool appendUtf8Escaped(QByteArrayView bytes, QString& out);
// UTF-16 without a mark; an odd last byte becomes an escape (*oddTail set)
// and goes back as that byte when encoding is told oddTail: a text's last
// unit alone cannot tell an escape from a lone surrogate of the file.
QString decodeUtf16Escaped(QByteArrayView bytes, bool bigEndian, bool* oddTail = nullptr);
void encodeUtf16Escaped(QStringView text, QByteArray& out, bool bigEndian, bool oddTail);

struct TextLine {
    QString text;
    LineBreak lineBreak = LineBreak::None;
};

class TextDocument {
public:
    // Decodes bytes; ansi is the page used when the bytes are neither marked
    // nor valid UTF-8.
    static TextDocument fromBytes(QByteArrayView bytes, const CodePage& ansi);

    // Encodes the document. On a character the encoding has no byte for,
    // returns false and sets *badPosition (its line and column).
    struct Position {
        qsizetype line = 0;
        qsizetype column = 0;
    };
    bool toBytes(QByteArray& out, Position* badPosition = nullptr) const;

    // The lines; the document always has at least one (maybe empty) line.
    const std::vector<TextLine>& lines() const { return m_lines; }
    // Replaces the text with new lines (without breaks). A line whose index
    // still exists keeps its break; added lines take the most common one.
    void setLines(const QStringList& lines);
    // The same with the break of each line given (the editor's blocks).
    void setLines(std::vector<TextLine> lines) { m_lines = std::move(lines); }

    TextEncoding encoding() const { return m_encoding; }
    // The page for TextEncoding::CodePage, nullptr otherwise.
    const CodePage* codePage() const { return m_page; }
    bool hasBom() const { return m_bom; }
    // Switches the document to UTF-8 (with no mark), the way out when a
    // character has no byte in its own encoding.
    void convertToUtf8();

    // "utf-8", "utf-8-bom", "utf-16le", "utf-16be" or the page's name.
    QString encodingName() const;
    // Lines that hold text or end with a break (a final empty line does not count).
    qsizetype lineCount() const;
    // "LF", "CRLF", "CR", "mixed" (or "none" for a single line).
    QString breaksName() const;
    bool finalNewline() const;
    // The break of most lines, LF when there are none; new lines get it.
    LineBreak commonBreak() const;

    // All lines joined by '\n', as the editor's cursor positions count them.
    QString joined() const;

private:
    std::vector<TextLine> m_lines { TextLine {} };
    TextEncoding m_encoding = TextEncoding::Utf8;
    const CodePage* m_page = nullptr;
    bool m_bom = false;
    // A UTF-16 file of odd length: its last byte is an escape at the end of the text.
    bool m_oddTail = false;
};

// Reading and writing a document's file.
struct TextFileResult {
    bool ok = false;
    int error = 0; // errno of a failed read or write
    bool unencodable = false; // a character has no byte in the encoding (nothing written)
    TextDocument::Position badPosition;
};

TextFileResult loadTextFile(const std::string& path, const CodePage& ansi, TextDocument& document);
// Writes the document in place of path through an atomic replace: a link
// keeps pointing at the saved file, the mode is kept, and a file with
// several hard links is rewritten in place so that every name sees it. On
// failure the file on disk is unchanged.
TextFileResult saveTextFile(const std::string& path, const TextDocument& document);

} // namespace ov
