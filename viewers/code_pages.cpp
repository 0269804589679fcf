#include "viewers/code_pages.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace ov {

CodePage::CodePage(QString name, const char* qtName)
    : m_name(std::move(name))
{
    for (int byte = 0; byte < 0x80; ++byte)
        m_toUnicode[byte] = char16_t(byte);
    // Only the upper half comes from Qt: its IBM pages move the controls
    // 0x1A, 0x1C and 0x7F around, which would change Ctrl-Z on conversion.
    QStringDecoder decoder(qtName);
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const char raw = char(byte);
        const QString one = decoder.isValid() ? decoder.decode(QByteArrayView(&raw, 1)) : QString();
        char16_t ch = one.size() == 1 ? one.at(0).unicode() : u'\xFFFD';
        decoder.resetState();
        // IBM852 has the logical not sign at 0xAA as the other DOS pages do;
        // Qt leaves it undefined.
        if (ch == u'\xFFFD' && m_name == QLatin1String("852") && byte == 0xAA)
            ch = u'\x00AC';
        // A byte the page leaves undefined keeps its C1 control code point.
        if (ch == u'\xFFFD')
            ch = char16_t(byte);
        m_toUnicode[byte] = ch;
        m_sorted[byte - 0x80] = { ch, static_cast<unsigned char>(byte) };
    }
    std::sort(m_sorted.begin(), m_sorted.end());
    // A table that is not a bijection would lose bytes on saving: refuse to run.
    for (std::size_t i = 0; i < m_sorted.size(); ++i) {
        const bool lowHalf = m_sorted[i].first < 0x80;
        const bool duplicate = i > 0 && m_sorted[i].first == m_sorted[i - 1].first;
        if (lowHalf || duplicate) {
            std::fprintf(stderr, "code page %s is not a bijection at byte 0x%02X\n", qPrintable(m_name),
                unsigned(m_sorted[i].second));
            std::abort();
        }
    }
}

std::optional<unsigned char> CodePage::fromUnicode(char16_t ch) const
{
    if (ch < 0x80)
        return static_cast<unsigned char>(ch);
    const auto it
        = std::lower_bound(m_sorted.begin(), m_sorted.end(), std::pair<char16_t, unsigned char> { ch, 0 });
    if (it == m_sorted.end() || it->first != ch)
        return std::nullopt;
    return it->second;
}

QString CodePage::decode(QByteArrayView bytes) const
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(m_toUnicode[static_cast<unsigned char>(bytes[i])]);
    return text;
}

bool CodePage::encode(QStringView text, QByteArray& out, qsizetype* badPosition) const
{
    out.reserve(out.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = fromUnicode(text[i].unicode());
        if (!byte) {
            if (badPosition)
                *badPosition = i;
            return false;
        }
        out.append(char(*byte));
    }
    return true;
}

const std::array<const CodePage*, 7>& CodePage::all()
{
    static const CodePage p437(QStringLiteral("437"), "IBM437");
    static const CodePage p850(QStringLiteral("850"), "IBM850");
    static const CodePage p852(QStringLiteral("852"), "IBM852");
    static const CodePage p866(QStringLiteral("866"), "IBM866");
    static const CodePage p1250(QStringLiteral("1250"), "windows-1250");
    static const CodePage p1251(QStringLiteral("1251"), "windows-1251");
    static const CodePage p1252(QStringLiteral("1252"), "windows-1252");
    static const std::array<const CodePage*, 7> pages { &p437, &p850, &p852, &p866, &p1250, &p1251, &p1252 };
    return pages;
}

const CodePage* CodePage::byName(std::string_view name)
{
    std::string lower;
    for (const char c : name)
        lower += char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    for (const std::string_view prefix : { "windows-", "ibm", "cp" })
        if (lower.starts_with(prefix)) {
            lower.erase(0, prefix.size());
            break;
        }
    for (const CodePage* page : all())
        if (page->name().toStdString() == lower)
            return page;
    return nullptr;
}

namespace {

struct LanguagePages {
    std::string_view language;
    std::string_view ansi;
    std::string_view oem;
};

constexpr LanguagePages languagePages[] = {
    { "eng", "1252", "437" },
    { "ita", "1252", "850" },
    { "pol", "1250", "852" },
    { "rus", "1251", "866" },
};

const LanguagePages& pagesFor(std::string_view language)
{
    for (const auto& entry : languagePages)
        if (entry.language == language)
            return entry;
    return languagePages[0];
}

} // namespace

const CodePage& CodePage::ansiFor(std::string_view language)
{
    return *byName(pagesFor(language).ansi);
}

const CodePage& CodePage::oemFor(std::string_view language)
{
    return *byName(pagesFor(language).oem);
}

bool convertOemToAnsi(QString& line, const CodePage& ansi, const CodePage& oem)
{
    bool changed = false;
    for (QChar& ch : line) {
        if (const auto byte = ansi.fromUnicode(ch.unicode()); byte && *byte >= 0x80) {
            ch = QChar(oem.toUnicode(*byte));
            changed = true;
        }
    }
    return changed;
}

} // namespace ov
