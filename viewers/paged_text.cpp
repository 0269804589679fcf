#include "viewers/paged_text.h"

#include "platform/host_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ov {

namespace {

class FileSource : public PagedText::Source {
public:
    bool open(const std::string& hostPath)
    {
        if (!m_file.open(hostPath)) {
            if (m_file.notRegular())
                errno = EINVAL;
            return false;
        }
        return true;
    }
    int64_t size() const override { return m_file.size(); }
    std::ptrdiff_t readAt(int64_t offset, void* buffer, std::size_t length) const override
    {
        return m_file.readAt(offset, buffer, length);
    }

private:
    HostFile m_file;
};

class MemorySource : public PagedText::Source {
public:
    explicit MemorySource(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
    }
    int64_t size() const override { return m_bytes.size(); }
    std::ptrdiff_t readAt(int64_t offset, void* buffer, std::size_t length) const override
    {
        if (offset < 0 || offset >= m_bytes.size())
            return 0;
        const auto n = std::min<int64_t>(int64_t(length), m_bytes.size() - offset);
        std::memcpy(buffer, m_bytes.constData() + offset, std::size_t(n));
        return std::ptrdiff_t(n);
    }

private:
    QByteArray m_bytes;
};

#ifndef __SSE2__
constexpr uint64_t highBits = 0x8080808080808080ull;
#endif

// The first position at or after i holding a non-ASCII byte (n when none).
std::size_t skipAscii(const uint8_t* p, std::size_t i, std::size_t n)
{
#ifdef __SSE2__
    // Sixteen bytes a step; the mask of their top bits names the first one set.
    while (i + 16 <= n) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (const int mask = _mm_movemask_epi8(bytes); mask != 0)
            return i + std::size_t(std::countr_zero(unsigned(mask)));
        i += 16;
    }
#else
    while (i + 8 <= n) {
        uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        if ((word & highBits) != 0)
            break;
        i += 8;
    }
#endif
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// Strict UTF-8 validation over blocks fed in order, with the same rules as
// the document's decoder (no overlong forms, no surrogates, nothing above
// U+10FFFF).
struct Utf8Validator {
    int need = 0;
    uint8_t low = 0x80, high = 0xBF;
    bool valid = true;

    void feed(const uint8_t* p, std::size_t n)
    {
        std::size_t i = 0;
        while (i < n && valid) {
            if (need == 0) {
                i = skipAscii(p, i, n);
                if (i >= n)
                    break;
                // A two-byte character within the block, the usual case
                // outside ASCII, without the state.
                if (p[i] >= 0xC2 && p[i] <= 0xDF && i + 1 < n) {
                    if ((p[i + 1] & 0xC0) != 0x80) {
                        valid = false;
                        break;
                    }
                    i += 2;
                    continue;
                }
                const uint8_t b = p[i++];
                low = 0x80;
                high = 0xBF;
                if (b >= 0xC2 && b <= 0xDF) {
                    need = 1;
                } else if (b >= 0xE0 && b <= 0xEF) {
                    need = 2;
                    low = b == 0xE0 ? 0xA0 : 0x80;
                    high = b == 0xED ? 0x9F : 0xBF;
                } else if (b >= 0xF0 && b <= 0xF4) {
                    need = 3;
                    low = b == 0xF0 ? 0x90 : 0x80;
                    high = b == 0xF4 ? 0x8F : 0xBF;
                } else {
                    valid = false;
                }
                continue;
            }
            const uint8_t c = p[i++];
            if (c < low || c > high)
                valid = false;
            low = 0x80;
            high = 0xBF;
            --need;
        }
    }
    bool finish() const { return valid && need == 0; }
};

// Appends UTF-8 with escapes: runs of ASCII are copied as Latin-1, the rest
// goes through the document's decoder. Cutting the bytes before an ASCII byte
// never changes how the decoder reads them (an ASCII byte is never part of a
// sequence), so the result is that of decoding all of it at once.
void appendUtf8(const uint8_t* p, std::size_t n, QString& out)
{
    std::size_t i = 0;
    while (i < n) {
        std::size_t j = skipAscii(p, i, n);
        while (j < n && p[j] < 0x80)
            ++j;
        if (j > i)
            out.append(QLatin1String(reinterpret_cast<const char*>(p + i), qsizetype(j - i)));
        if (j >= n)
            break;
        // The rest up to the next run of 16 ASCII bytes.
        std::size_t k = j;
        std::size_t ascii = 0;
        while (k < n) {
            if (p[k] < 0x80) {
                if (++ascii == 16) {
                    k -= 15;
                    break;
                }
            } else {
                ascii = 0;
            }
            ++k;
        }
        appendUtf8Escaped(QByteArrayView(p + j, qsizetype(k - j)), out);
        i = k;
    }
}

// The length of a block of UTF-8 that does not end inside a character: an
// unfinished sequence at the end waits for the next block. Cutting before a
// lead byte is safe: no sequence before it can take it.
std::size_t wholeUtf8(const uint8_t* p, std::size_t n)
{
    for (std::size_t k = 1; k <= 3 && k <= n; ++k) {
        const uint8_t b = p[n - k];
        if (b < 0x80)
            return n;
        if (b >= 0xC0) {
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            return length > k ? n - k : n;
        }
    }
    return n;
}

} // namespace

PagedText::PagedText(const CodePage& ansi, std::size_t blockSize)
    : m_ansi(ansi)
    , m_blockSize(std::max<std::size_t>(blockSize, 1))
{
    m_index.reset(0);
}

PagedText::~PagedText()
{
    stop();
}

bool PagedText::open(const std::string& hostPath)
{
    stop();
    auto source = std::make_unique<FileSource>();
    if (!source->open(hostPath))
        return false;
    m_source = std::move(source);
    m_index.reset(0);
    return true;
}

void PagedText::openBytes(QByteArray bytes)
{
    stop();
    m_source = std::make_unique<MemorySource>(std::move(bytes));
    m_index.reset(0);
}

void PagedText::startIndexing(std::function<void()> onIndexed)
{
    stop();
    m_stop = false;
    m_indexing = true;
    m_worker = std::thread([this, onIndexed = std::move(onIndexed)] {
        buildIndex();
        m_indexing = false;
        if (onIndexed && m_index.complete())
            onIndexed();
    });
}

void PagedText::indexAll()
{
    stop();
    m_stop = false;
    m_indexing = true;
    buildIndex();
    m_indexing = false;
}

void PagedText::stop()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool PagedText::waitIndexed(const std::atomic<bool>* cancel) const
{
    std::unique_lock lock(m_waitMutex);
    while (!m_index.complete()) {
        if ((cancel && cancel->load()) || !m_indexing.load())
            return false;
        m_indexedSignal.wait_for(lock, std::chrono::milliseconds(20));
    }
    return true;
}

void PagedText::buildIndex()
{
    m_readError = 0;
    m_bytesIndexed = 0;
    m_bom = false;
    m_bodyStart = 0;
    m_encoding = TextEncoding::Utf8;
    const int64_t size = m_source ? m_source->size() : 0;
    uint8_t head[3] = {};
    const std::ptrdiff_t headLength = size > 0 ? m_source->readAt(0, head, sizeof head) : 0;
    int unitBytes = 1;
    bool bigEndian = false;
    if (headLength >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        m_bom = true;
        m_bodyStart = 3;
    } else if (headLength >= 2
        && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
        m_bom = true;
        m_bodyStart = 2;
        unitBytes = 2;
        bigEndian = head[0] == 0xFE;
        m_encoding = bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
    }
    m_index.reset(m_bodyStart);
    LineBreakScanner scanner(unitBytes, bigEndian);
    // Only a file without a mark needs its UTF-8 checked.
    bool validating = !m_bom;
    Utf8Validator validator;
    std::vector<uint8_t> buffer(m_blockSize);
    std::vector<uint64_t> starts;
    uint64_t offset = m_bodyStart;
    while (int64_t(offset) < size) {
        if (m_stop)
            return;
        const auto want = std::min<uint64_t>(m_blockSize, uint64_t(size) - offset);
        const std::ptrdiff_t got = m_source->readAt(int64_t(offset), buffer.data(), std::size_t(want));
        if (got < 0) {
            m_readError = errno ? errno : EIO;
            break;
        }
        if (got == 0) // the file shrank
            break;
        starts.clear();
        scanner.scan(buffer.data(), std::size_t(got), offset, starts);
        if (validating) {
            validator.feed(buffer.data(), std::size_t(got));
            if (!validator.valid) {
                m_encoding = TextEncoding::CodePage;
                validating = false;
            }
        }
        m_index.append(starts);
        offset += uint64_t(got);
        m_bytesIndexed.store(offset, std::memory_order_relaxed);
    }
    starts.clear();
    scanner.finish(starts);
    m_index.append(starts);
    if (validating && !validator.finish())
        m_encoding = TextEncoding::CodePage;
    {
        std::lock_guard lock(m_waitMutex);
        m_index.finish(offset);
    }
    m_indexedSignal.notify_all();
}

QString PagedText::encodingName() const
{
    switch (encoding()) {
    case TextEncoding::CodePage:
        return m_ansi.name();
    case TextEncoding::Utf8:
        return m_bom ? QStringLiteral("utf-8-bom") : QStringLiteral("utf-8");
    case TextEncoding::Utf16LE:
        return QStringLiteral("utf-16le");
    case TextEncoding::Utf16BE:
        return QStringLiteral("utf-16be");
    }
    return {};
}

qsizetype PagedText::lines() const
{
    // Read complete() first: once it is set, every start is in.
    const bool complete = m_index.complete();
    const auto starts = qsizetype(m_index.starts());
    return complete ? starts : starts - 1;
}

qsizetype PagedText::lineCount() const
{
    const qsizetype count = lines();
    if (!m_index.complete())
        return count;
    return m_index.start(uint64_t(count - 1)) == m_index.end() ? count - 1 : count;
}

bool PagedText::lineBytes(qsizetype index, qsizetype maxBytes, QByteArray& out) const
{
    out.clear();
    if (!m_source || index < 0 || index >= lines())
        return false;
    const bool last = index + 1 == qsizetype(m_index.starts());
    const uint64_t start = m_index.start(uint64_t(index));
    uint64_t end = last ? m_index.end() : m_index.start(uint64_t(index) + 1);
    const bool wide = encoding() == TextEncoding::Utf16LE || encoding() == TextEncoding::Utf16BE;
    if (!last) {
        // Leave out the break: LF, CR or CRLF, one or two bytes a unit.
        const uint64_t unit = wide ? 2 : 1;
        uint8_t tail[4] = {};
        const uint64_t tailLength = std::min<uint64_t>(end - start, 2 * unit);
        if (m_source->readAt(int64_t(end - tailLength), tail, std::size_t(tailLength))
            != std::ptrdiff_t(tailLength))
            return false;
        const auto unitAt = [&](uint64_t fromEnd) -> char16_t {
            if (fromEnd * unit > tailLength)
                return 0;
            const uint8_t* p = tail + tailLength - fromEnd * unit;
            if (!wide)
                return p[0];
            return char16_t(encoding() == TextEncoding::Utf16BE ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
        };
        if (unitAt(1) == u'\n')
            end -= unitAt(2) == u'\r' ? 2 * unit : unit;
        else if (unitAt(1) == u'\r')
            end -= unit;
    }
    uint64_t length = end - start;
    const bool cut = maxBytes >= 0 && length > uint64_t(maxBytes);
    if (cut)
        length = uint64_t(maxBytes) & (wide ? ~uint64_t(1) : ~uint64_t(0));
    out.resize(qsizetype(length));
    if (length > 0
        && m_source->readAt(int64_t(start), out.data(), std::size_t(length)) != std::ptrdiff_t(length))
        return false;
    if (cut && encoding() == TextEncoding::Utf8)
        out.truncate(
            qsizetype(wholeUtf8(reinterpret_cast<const uint8_t*>(out.constData()), std::size_t(out.size()))));
    return true;
}

QString PagedText::decode(const QByteArray& bytes, bool lastOfText) const
{
    QString text;
    switch (encoding()) {
    case TextEncoding::CodePage:
        text = m_ansi.decode(bytes);
        break;
    case TextEncoding::Utf8:
        appendUtf8(reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size()), text);
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        // An odd last byte is an escape only at the end of the text.
        const QByteArrayView view
            = lastOfText ? QByteArrayView(bytes) : QByteArrayView(bytes).first(bytes.size() & ~qsizetype(1));
        text = decodeUtf16Escaped(view, encoding() == TextEncoding::Utf16BE);
        break;
    }
    }
    convert(text);
    return text;
}

void PagedText::convert(QString& text) const
{
    const int count = m_conversions.load();
    if (count <= 0 || !m_convertAnsi)
        return;
    for (int i = 0; i < count; ++i)
        convertOemToAnsi(text, *m_convertAnsi, *m_convertOem);
}

void PagedText::setConversions(const CodePage& ansi, const CodePage& oem, int count)
{
    m_convertAnsi = &ansi;
    m_convertOem = &oem;
    m_conversions = count;
}

QString PagedText::line(qsizetype index, qsizetype maxBytes) const
{
    QByteArray bytes;
    if (!lineBytes(index, maxBytes, bytes))
        return {};
    return decode(bytes, index + 1 == qsizetype(m_index.starts()));
}

QString PagedText::text(TextPoint from, TextPoint to) const
{
    if (to < from)
        std::swap(from, to);
    QString out;
    for (qsizetype i = from.line; i <= to.line && i < lines(); ++i) {
        const QString whole = line(i);
        const qsizetype begin = i == from.line ? std::min(from.column, whole.size()) : 0;
        const qsizetype end = i == to.line ? std::clamp(to.column, begin, whole.size()) : whole.size();
        if (i > from.line)
            out.append(u'\n');
        out.append(QStringView(whole).mid(begin, end - begin));
    }
    return out;
}

// Reads the text from a byte offset on, a block at a time, as the units the
// editor's search sees: decoded, escapes in place, every break one '\n'.
struct PagedText::Decoder {
    const PagedText& text;
    uint64_t offset;
    uint64_t end;
    std::vector<uint8_t> buffer;
    bool skipLf = false;
    bool eof = false;

    Decoder(const PagedText& owner, uint64_t from)
        : text(owner)
        , offset(from)
        , end(owner.m_index.end())
        , buffer(std::max<std::size_t>(owner.m_blockSize, 8))
    {
        eof = offset >= end;
    }

    void next(QString& out)
    {
        if (eof)
            return;
        const auto want = std::min<uint64_t>(buffer.size(), end - offset);
        const std::ptrdiff_t got = text.m_source->readAt(int64_t(offset), buffer.data(), std::size_t(want));
        std::size_t n = got > 0 ? std::size_t(got) : 0;
        const bool atEnd = got <= 0 || offset + n >= end;
        const TextEncoding encoding = text.encoding();
        const bool wide = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
        if (!atEnd) {
            // Never split a character between blocks.
            if (wide)
                n &= ~std::size_t(1);
            else if (encoding == TextEncoding::Utf8)
                n = wholeUtf8(buffer.data(), n);
        }
        // Decoded straight onto the end of out, then its breaks made '\n'
        // in place (the text only gets shorter).
        const qsizetype begin = out.size();
        switch (encoding) {
        case TextEncoding::CodePage:
            out.append(text.m_ansi.decode(QByteArrayView(buffer.data(), qsizetype(n))));
            break;
        case TextEncoding::Utf8:
            appendUtf8(buffer.data(), n, out);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            out.append(decodeUtf16Escaped(
                QByteArrayView(buffer.data(), qsizetype(n)), encoding == TextEncoding::Utf16BE));
            break;
        }
        if (text.m_conversions.load() > 0) {
            QString piece = out.sliced(begin);
            text.convert(piece);
            out.replace(begin, piece.size(), piece);
        }
        offset += n;
        if (atEnd)
            eof = true;
        if (!skipLf && QStringView(out).sliced(begin).indexOf(u'\r') < 0)
            return;
        // A CR becomes '\n' at once; an LF right after it (maybe in the next
        // block) is then dropped.
        QChar* units = out.data();
        qsizetype write = begin;
        for (qsizetype read = begin; read < out.size(); ++read) {
            const QChar ch = units[read];
            if (skipLf) {
                skipLf = false;
                if (ch == u'\n')
                    continue;
            }
            if (ch == u'\r') {
                units[write++] = u'\n';
                skipLf = true;
            } else {
                units[write++] = ch;
            }
        }
        out.truncate(write);
    }
};

std::optional<TextRange> PagedText::find(QStringView what, const SearchOptions& options, TextPoint from,
    const std::atomic<bool>* cancel, std::atomic<int64_t>* done, qsizetype chunkUnits) const
{
    if (what.isEmpty() || !m_source || !waitIndexed(cancel))
        return std::nullopt;
    const qsizetype m = what.size();
    chunkUnits = std::max<qsizetype>(chunkUnits, 1);
    // Down starts at the line of `from`; up reads from the top and keeps the
    // last match that ends at or before `from`.
    const qsizetype firstLine = options.down ? std::clamp<qsizetype>(from.line, 0, lines() - 1) : 0;
    Decoder decoder(*this, m_index.start(uint64_t(firstLine)));
    SearchOptions forward = options;
    forward.down = true;

    QString buffer;
    // buffer[0] sits at (baseLine, baseColumn); `counted` units of it have
    // been walked for line numbers, the last '\n' among them at lastBreak.
    qsizetype baseLine = firstLine, baseColumn = 0;
    qsizetype counted = 0, countedLines = 0, lastBreak = -1;
    const auto pointAt = [&](qsizetype position) {
        // Overlapping matches (searching up) can ask for an earlier place:
        // count again from the start of the buffer.
        if (position < counted) {
            counted = 0;
            countedLines = 0;
            lastBreak = -1;
        }
        const char16_t* units = reinterpret_cast<const char16_t*>(buffer.constData());
        qsizetype breaks = 0;
        for (qsizetype i = counted; i < position; ++i)
            breaks += units[i] == u'\n';
        if (breaks > 0) {
            countedLines += breaks;
            lastBreak = position - 1;
            while (units[lastBreak] != u'\n')
                --lastBreak;
        }
        counted = std::max(counted, position);
        if (countedLines == 0)
            return TextPoint { baseLine, baseColumn + position };
        return TextPoint { baseLine + countedLines, position - lastBreak - 1 };
    };

    qsizetype position = options.down ? std::max<qsizetype>(from.column, 0) : 0;
    std::optional<TextRange> best;
    for (;;) {
        while (!decoder.eof && buffer.size() - position < chunkUnits + m + 1) {
            if (cancel && cancel->load())
                return std::nullopt;
            decoder.next(buffer);
            if (done)
                done->store(int64_t(decoder.offset), std::memory_order_relaxed);
        }
        // Matches starting before limit have all the text they are judged on
        // (the unit after them included); at the end, every match has.
        const qsizetype limit = decoder.eof ? buffer.size() + 1 : buffer.size() - m;
        const auto found = findText(buffer, { position, 0 }, what, forward);
        if (found && found->start < limit) {
            const TextRange range { pointAt(found->start), pointAt(found->start + found->length) };
            if (options.down)
                return range;
            if (from < range.end)
                return best;
            best = range;
            position = found->start + 1;
            continue;
        }
        if (decoder.eof)
            return options.down ? std::nullopt : best;
        // Keep one unit before the next candidate: whole-word search looks at it.
        position = std::max(position, limit);
        const qsizetype drop = position - 1;
        if (drop > 0) {
            const TextPoint base = pointAt(drop);
            buffer.remove(0, drop);
            position -= drop;
            baseLine = base.line;
            baseColumn = base.column;
            counted = 0;
            countedLines = 0;
            lastBreak = -1;
            if (!options.down && from < TextPoint { baseLine, baseColumn })
                return best;
        }
    }
}

} // namespace ov
