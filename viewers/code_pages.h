// Single-byte code pages of the editor as our own tables.
//
// Each page maps 0x00-0x7F to the same code points and 0x80-0xFF to the
// characters the page's standard table gives; every table is a bijection,
// so decoding and encoding back never change a byte. The tables are built
// once, on first use.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>

namespace ov {

class CodePage {
public:
    // The page's name as the command line and the editor show it ("1251", "866").
    const QString& name() const { return m_name; }
    char16_t toUnicode(unsigned char byte) const { return m_toUnicode[byte]; }
    // The byte for a character, or nothing when the page has none.
    std::optional<unsigned char> fromUnicode(char16_t ch) const;

    QString decode(QByteArrayView bytes) const;
    // Encodes all of text; on a character with no byte returns false and sets
    // *badPosition to its index in text (out is then incomplete).
    bool encode(QStringView text, QByteArray& out, qsizetype* badPosition = nullptr) const;

    // The pages by name: "437", "850", "852", "866", "1250", "1251", "1252"
    // (a "cp" or "windows-"/"ibm" prefix is accepted). nullptr for any other.
    static const CodePage* byName(std::string_view name);
    // The ANSI (Windows) and OEM (DOS) pages of a language code ("eng",
    // "ita", "pol", "rus"); English for an unknown language.
    static const CodePage& ansiFor(std::string_view language);
    static const CodePage& oemFor(std::string_view language);
    // Every page, for tests.
    static const std::array<const CodePage*, 7>& all();

    // Built by the page list; not for other callers.
    CodePage(QString name, const char* qtName);

private:
    QString m_name;
    std::array<char16_t, 256> m_toUnicode {};
    // 0x80-0xFF by character, sorted, for fromUnicode.
    std::array<std::pair<char16_t, unsigned char>, 128> m_sorted {};
};

// The editor's Convert on one line: a character whose ANSI byte is 0x80 or
// above becomes the OEM page's character for that byte (the bytes were OEM
// text read as ANSI); others stay. Returns whether anything changed.
bool convertOemToAnsi(QString& line, const CodePage& ansi, const CodePage& oem);

} // namespace ov
