#include "viewers/text_document.h"

#include "platform/atomic_file.h"
#include "platform/host_file.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>

namespace ov {

namespace {

// Decodes UTF-8 strictly (no overlong forms, no surrogates, nothing above
// U+10FFFF); every byte of an invalid sequence becomes an escape. Returns
// whether all of it was valid.
bool decodeUtf8(QByteArrayView bytes, QString& out)
{
    bool valid = true;
    // Only a fresh string is sized up front: reserving for each small
    // addition would copy the string every time.
    if (out.isEmpty())
        out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.append(QChar(char16_t(b)));
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t code = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            code = b & 0x0F;
            if (b == 0xE0)
                low = 0xA0;
            if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            code = b & 0x07;
            if (b == 0xF0)
                low = 0x90;
            if (b == 0xF4)
                high = 0x8F;
        }
        bool ok = length > 0 && i + length <= n;
        for (int k = 1; ok && k < length; ++k) {
            const unsigned char c = p[i + k];
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi)
                ok = false;
            else
                code = (code << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.append(QChar(char16_t(escapeBase + b)));
            valid = false;
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return valid;
}

bool isEscape(char16_t ch)
{
    return ch >= escapeBase + 0x80 && ch <= escapeBase + 0xFF;
}

// Encodes UTF-8; an escape goes back as its byte. A surrogate that is
// neither paired nor an escape has no UTF-8 form.
bool encodeUtf8(QStringView text, QByteArray& out, qsizetype* bad)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        char32_t code = ch;
        if (isEscape(ch)) {
            out.append(char(ch - escapeBase));
            continue;
        }
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode())) {
            code = QChar::surrogateToUcs4(ch, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(ch)) {
            *bad = i;
            return false;
        }
        if (code < 0x80) {
            out.append(char(code));
        } else if (code < 0x800) {
            out.append(char(0xC0 | (code >> 6)));
            out.append(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.append(char(0xE0 | (code >> 12)));
            out.append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        } else {
            out.append(char(0xF0 | (code >> 18)));
            out.append(char(0x80 | ((code >> 12) & 0x3F)));
            out.append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        }
    }
    return true;
}

void appendUtf16(QStringView text, QByteArray& out, bool bigEndian)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
}

QStringView breakText(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::LF:
        return u"\n";
    case LineBreak::CRLF:
        return u"\r\n";
    case LineBreak::CR:
        return u"\r";
    case LineBreak::None:
        break;
    }
    return {};
}

} // namespace

QString decodeUtf8Escaped(QByteArrayView bytes, bool* valid)
{
    QString text;
    const bool ok = decodeUtf8(bytes, text);
    if (valid)
        *valid = ok;
    return text;
}

bool appendUtf8Escaped(QByteArrayView bytes, QString& out)
{
    return decodeUtf8(bytes, out);
}

bool encodeUtf8Escaped(QStringView text, QByteArray& out, qsizetype* badPosition)
{
    qsizetype bad = -1;
    const bool ok = encodeUtf8(text, out, &bad);
    if (!ok && badPosition)
        *badPosition = bad;
    return ok;
}

QString decodeUtf16Escaped(QByteArrayView bytes, bool bigEndian, bool* oddTail)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    if (bytes.size() % 2)
        text.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes.back()))));
    if (oddTail)
        *oddTail = bytes.size() % 2 != 0;
    return text;
}

void encodeUtf16Escaped(QStringView text, QByteArray& out, bool bigEndian, bool oddTail)
{
    const bool tail = oddTail && !text.isEmpty() && text.back().unicode() >= escapeBase
        && text.back().unicode() <= escapeBase + 0xFF;
    appendUtf16(tail ? text.chopped(1) : text, out, bigEndian);
    if (tail)
        out.append(char(text.back().unicode() - escapeBase));
}

TextDocument TextDocument::fromBytes(QByteArrayView bytes, const CodePage& ansi)
{
    TextDocument document;
    QString text;
    const auto starts = [&](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (const unsigned char b : mark)
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        return true;
    };
    if (starts({ 0xEF, 0xBB, 0xBF })) {
        document.m_bom = true;
        document.m_encoding = TextEncoding::Utf8;
        decodeUtf8(bytes.sliced(3), text);
    } else if (starts({ 0xFF, 0xFE }) || starts({ 0xFE, 0xFF })) {
        const bool bigEndian = static_cast<unsigned char>(bytes[0]) == 0xFE;
        document.m_bom = true;
        document.m_encoding = bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
        const auto body = bytes.sliced(2);
        const qsizetype units = body.size() / 2;
        text.resize(units);
        for (qsizetype i = 0; i < units; ++i) {
            const auto a = static_cast<unsigned char>(body[2 * i]);
            const auto b = static_cast<unsigned char>(body[2 * i + 1]);
            text[i] = QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
        }
        if (body.size() % 2) {
            document.m_oddTail = true;
            text.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(body.back()))));
        }
    } else if (decodeUtf8(bytes, text)) {
        document.m_encoding = TextEncoding::Utf8;
    } else {
        document.m_encoding = TextEncoding::CodePage;
        document.m_page = &ansi;
        text = ansi.decode(bytes);
    }

    document.m_lines.clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ch = text[i].unicode();
        if (ch != u'\n' && ch != u'\r')
            continue;
        LineBreak lineBreak = LineBreak::LF;
        qsizetype next = i + 1;
        if (ch == u'\r') {
            lineBreak = LineBreak::CR;
            if (i + 1 < n && text[i + 1] == u'\n') {
                lineBreak = LineBreak::CRLF;
                ++next;
            }
        }
        document.m_lines.push_back({ text.mid(start, i - start), lineBreak });
        start = next;
        i = next - 1;
    }
    document.m_lines.push_back({ text.mid(start), LineBreak::None });
    return document;
}

bool TextDocument::toBytes(QByteArray& out, Position* badPosition) const
{
    out.clear();
    if (m_bom) {
        switch (m_encoding) {
        case TextEncoding::Utf8:
            out.append("\xEF\xBB\xBF");
            break;
        case TextEncoding::Utf16LE:
            out.append("\xFF\xFE");
            break;
        case TextEncoding::Utf16BE:
            out.append("\xFE\xFF");
            break;
        case TextEncoding::CodePage:
            break;
        }
    }
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        const TextLine& line = m_lines[index];
        const bool last = index + 1 == m_lines.size();
        qsizetype bad = -1;
        bool ok = true;
        switch (m_encoding) {
        case TextEncoding::CodePage:
            ok = m_page->encode(line.text, out, &bad);
            break;
        case TextEncoding::Utf8:
            ok = encodeUtf8(line.text, out, &bad);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            QStringView text = line.text;
            const bool tail = m_oddTail && last && !text.isEmpty() && text.back().unicode() >= escapeBase
                && text.back().unicode() <= escapeBase + 0xFF;
            if (tail)
                text.chop(1);
            appendUtf16(text, out, m_encoding == TextEncoding::Utf16BE);
            if (tail)
                out.append(char(line.text.back().unicode() - escapeBase));
            break;
        }
        }
        if (!ok) {
            if (badPosition)
                *badPosition = { qsizetype(index), bad };
            return false;
        }
        const QStringView brk = breakText(line.lineBreak);
        if (m_encoding == TextEncoding::Utf16LE || m_encoding == TextEncoding::Utf16BE)
            appendUtf16(brk, out, m_encoding == TextEncoding::Utf16BE);
        else
            out.append(brk.toLatin1());
    }
    return true;
}

void TextDocument::setLines(const QStringList& lines)
{
    const LineBreak common = commonBreak();
    std::vector<TextLine> result;
    result.reserve(std::size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        LineBreak lineBreak = LineBreak::None;
        if (!last)
            lineBreak = std::size_t(i) + 1 < m_lines.size() ? m_lines[std::size_t(i)].lineBreak : common;
        result.push_back({ lines[i], lineBreak });
    }
    if (result.empty())
        result.push_back({});
    m_lines = std::move(result);
}

void TextDocument::convertToUtf8()
{
    m_encoding = TextEncoding::Utf8;
    m_page = nullptr;
    m_bom = false;
    m_oddTail = false;
}

QString TextDocument::encodingName() const
{
    switch (m_encoding) {
    case TextEncoding::CodePage:
        return m_page->name();
    case TextEncoding::Utf8:
        return m_bom ? QStringLiteral("utf-8-bom") : QStringLiteral("utf-8");
    case TextEncoding::Utf16LE:
        return QStringLiteral("utf-16le");
    case TextEncoding::Utf16BE:
        return QStringLiteral("utf-16be");
    }
    return {};
}

qsizetype TextDocument::lineCount() const
{
    const qsizetype count = qsizetype(m_lines.size());
    return m_lines.back().text.isEmpty() ? count - 1 : count;
}

LineBreak TextDocument::commonBreak() const
{
    std::array<qsizetype, 4> counts {};
    for (const TextLine& line : m_lines)
        ++counts[std::size_t(line.lineBreak)];
    LineBreak best = LineBreak::LF;
    for (const LineBreak candidate : { LineBreak::CRLF, LineBreak::CR })
        if (counts[std::size_t(candidate)] > counts[std::size_t(best)])
            best = candidate;
    return best;
}

QString TextDocument::breaksName() const
{
    bool seen[4] = {};
    for (const TextLine& line : m_lines)
        seen[std::size_t(line.lineBreak)] = true;
    if (int(seen[1]) + int(seen[2]) + int(seen[3]) > 1)
        return QStringLiteral("mixed");
    switch (commonBreak()) {
    case LineBreak::CRLF:
        return QStringLiteral("CRLF");
    case LineBreak::CR:
        return QStringLiteral("CR");
    default:
        return QStringLiteral("LF");
    }
}

bool TextDocument::finalNewline() const
{
    return m_lines.size() > 1 && m_lines.back().text.isEmpty();
}

QString TextDocument::joined() const
{
    QString text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i)
            text.append(u'\n');
        text.append(m_lines[i].text);
    }
    return text;
}

TextFileResult loadTextFile(const std::string& path, const CodePage& ansi, TextDocument& document)
{
    TextFileResult result;
    HostFile file;
    if (!file.open(path)) {
        result.error = file.notRegular() ? EINVAL : errno;
        return result;
    }
    QByteArray bytes;
    char buffer[65536];
    for (int64_t offset = 0;;) {
        const auto got = file.readAt(offset, buffer, sizeof buffer);
        if (got < 0) {
            result.error = errno;
            return result;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
        offset += got;
    }
    document = TextDocument::fromBytes(bytes, ansi);
    result.ok = true;
    return result;
}

namespace {

// Rewrites a file that has other hard links in place, so that every name
// keeps seeing the same file. The part beyond the old end is written first:
// when that fails (no space, a size limit), the file is cut back to its old
// size and is as it was.
bool rewriteInPlace(const std::string& path, const QByteArray& bytes, int& error)
{
    std::error_code code;
    const auto oldSize = std::filesystem::file_size(path, code);
    if (code) {
        error = code.value();
        return false;
    }
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) {
        error = errno ? errno : EIO;
        return false;
    }
    const auto newSize = std::uintmax_t(bytes.size());
    if (newSize > oldSize) {
        errno = 0;
        file.seekp(std::streamoff(oldSize));
        file.write(bytes.constData() + oldSize, std::streamsize(newSize - oldSize));
        file.flush();
        if (!file) {
            error = errno ? errno : EIO;
            file.close();
            std::filesystem::resize_file(path, oldSize, code);
            return false;
        }
    }
    errno = 0;
    file.seekp(0);
    file.write(bytes.constData(), std::streamsize(std::min(newSize, oldSize)));
    file.flush();
    if (!file) {
        error = errno ? errno : EIO;
        return false;
    }
    file.close();
    if (newSize < oldSize) {
        std::filesystem::resize_file(path, newSize, code);
        if (code) {
            error = code.value();
            return false;
        }
    }
    return true;
}

} // namespace

TextFileResult saveTextFile(const std::string& path, const TextDocument& document)
{
    TextFileResult result;
    QByteArray bytes;
    if (!document.toBytes(bytes, &result.badPosition)) {
        result.unencodable = true;
        return result;
    }
    std::error_code code;
    if (isRegularHostFile(path) && std::filesystem::hard_link_count(path, code) > 1 && !code) {
        result.ok = rewriteInPlace(path, bytes, result.error);
        return result;
    }
    AtomicFile file;
    AtomicFile::Options options;
    options.links = LinkTarget::WriteThrough;
    if (!file.open(path, options) || !file.write(bytes.constData(), std::size_t(bytes.size()))
        || !file.commit()) {
        result.error = file.error() ? file.error() : errno;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace ov
