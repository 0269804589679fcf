// PagedText: a text file too big for the editor's widget, read in blocks
// and shown a page at a time. No decoded copy of the file is kept: a worker
// reads the file once to build the line index (and to decide whether the
// bytes are valid UTF-8), and lines are decoded only when asked for.
//
// The lines, their encoding and escapes are those of TextDocument on the
// same bytes: a byte order mark decides, else valid UTF-8, else the ANSI
// page; an invalid byte becomes an escape. Until the worker has read the
// whole file, a file without a mark is shown as UTF-8 (the first invalid
// byte switches it to the ANSI page at once).
//
// Find runs over the bytes in blocks, decoding one block at a time, with the
// editor's search on the lines joined by '\n', so a match is the one the
// editor would find in the same text.
#pragma once

#include "viewers/code_pages.h"
#include "viewers/line_index.h"
#include "viewers/text_document.h"
#include "viewers/text_search.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ov {

// A place in the text: a line and a column in UTF-16 units.
struct TextPoint {
    qsizetype line = 0;
    qsizetype column = 0;
    friend bool operator==(const TextPoint&, const TextPoint&) = default;
    friend auto operator<=>(const TextPoint&, const TextPoint&) = default;
};

struct TextRange {
    TextPoint start;
    TextPoint end;
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

class PagedText {
public:
    // The bytes under the text: a file, or memory for tests and fuzzing.
    class Source {
    public:
        virtual ~Source() = default;
        virtual int64_t size() const = 0;
        // Up to length bytes at offset; fewer only at the end; -1 on error.
        virtual std::ptrdiff_t readAt(int64_t offset, void* buffer, std::size_t length) const = 0;
    };

    // ansi is the page for text that is neither marked nor valid UTF-8;
    // blockSize the read size (small ones test the block edges).
    // The default keeps a block in the processor's cache while it is scanned
    // for breaks and checked for UTF-8.
    explicit PagedText(const CodePage& ansi, std::size_t blockSize = 1 << 17);
    ~PagedText();
    PagedText(const PagedText&) = delete;
    PagedText& operator=(const PagedText&) = delete;

    // Opens a file; false with errno set when it cannot be read.
    bool open(const std::string& hostPath);
    void openBytes(QByteArray bytes);

    // Builds the index on a worker thread, or here (tests, benchmarks).
    // onIndexed, when given, is called on the worker once the index is
    // complete (the window posts it to its own thread).
    void startIndexing(std::function<void()> onIndexed = {});
    void indexAll();
    // Stops the worker (when the window closes).
    void stop();
    bool indexed() const { return m_index.complete(); }
    // Waits until the index is complete or *cancel is set; false when cancelled.
    bool waitIndexed(const std::atomic<bool>* cancel) const;
    // A read error met by the worker (errno), 0 when none.
    int readError() const { return m_readError.load(); }

    int64_t size() const { return m_source ? m_source->size() : 0; }
    uint64_t bytesIndexed() const { return m_bytesIndexed.load(std::memory_order_relaxed); }
    const LineIndex& index() const { return m_index; }

    TextEncoding encoding() const { return m_encoding.load(); }
    bool hasBom() const { return m_bom.load(); }
    // "utf-8", "utf-16le", ..., or the page's name, as TextDocument names it.
    QString encodingName() const;

    // Lines known so far: complete lines while indexing, all of them after
    // (the count of TextDocument::lines(), with an empty last line after a
    // final break).
    qsizetype lines() const;
    // Lines as TextDocument::lineCount() counts them (once indexed).
    qsizetype lineCount() const;
    // A line decoded (below lines()); at most maxBytes of its bytes when
    // maxBytes is not negative (the window shows the start of a long line).
    QString line(qsizetype index, qsizetype maxBytes = -1) const;
    // The text between two points, lines joined by '\n' (Copy).
    QString text(TextPoint from, TextPoint to) const;

    // Convert: the lines are shown as the editor's Convert would turn them
    // (applied count times).
    void setConversions(const CodePage& ansi, const CodePage& oem, int count);
    int conversions() const { return m_conversions.load(); }

    // Find once, with the editor's rules: down from `from` (the selection's
    // end) or up from it (the selection's start). Waits for the index. The
    // match, or nothing; *cancel stops it (nothing). *done counts the bytes
    // searched so far (for a progress figure).
    std::optional<TextRange> find(QStringView what, const SearchOptions& options, TextPoint from,
        const std::atomic<bool>* cancel = nullptr, std::atomic<int64_t>* done = nullptr,
        qsizetype chunkUnits = 1 << 20) const;

private:
    struct Decoder;
    void buildIndex();
    // The bytes of a line without its break.
    bool lineBytes(qsizetype index, qsizetype maxBytes, QByteArray& out) const;
    QString decode(const QByteArray& bytes, bool lastOfText) const;
    void convert(QString& text) const;

    const CodePage& m_ansi;
    std::size_t m_blockSize;
    std::unique_ptr<Source> m_source;
    LineIndex m_index;
    std::atomic<TextEncoding> m_encoding { TextEncoding::Utf8 };
    std::atomic<bool> m_bom { false };
    uint64_t m_bodyStart = 0;
    std::atomic<uint64_t> m_bytesIndexed { 0 };
    std::atomic<int> m_readError { 0 };
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_indexing { false };
    std::thread m_worker;
    mutable std::mutex m_waitMutex;
    mutable std::condition_variable m_indexedSignal;
    const CodePage* m_convertAnsi = nullptr;
    const CodePage* m_convertOem = nullptr;
    std::atomic<int> m_conversions { 0 };
};

} // namespace ov
