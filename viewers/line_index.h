// The line index of the paged text view: where each line of a file starts,
// found in the bytes while the file is read, without decoding it.
//
// LineBreakScanner finds the breaks in blocks of bytes fed in order (LF,
// CRLF, CR; a CR at the end of a block waits for the next block to tell CR
// from CRLF), in one-byte units (UTF-8 and the code pages) or two-byte units
// (UTF-16). LineIndex keeps the start offsets in fixed chunks, so growing it
// never copies what is there, and lets one thread append while another reads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace ov {

class LineBreakScanner {
public:
    // unitBytes 1, or 2 for UTF-16 (bigEndian picks the byte order).
    explicit LineBreakScanner(int unitBytes = 1, bool bigEndian = false);

    // Scans the next size bytes, which sit at offset in the file; appends
    // the offset just past each break found (the start of the next line).
    void scan(const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts);
    // The end of the bytes: a CR still waiting ends its line.
    void finish(std::vector<uint64_t>& starts);

private:
    void scanBytes(const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts);
    void scanUnits(const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts);

    int m_unitBytes;
    bool m_bigEndian;
    bool m_pendingCr = false;
    uint64_t m_afterCr = 0; // where the line after a waiting CR starts
    bool m_hasHalfUnit = false; // UTF-16: the first byte of a unit split by a block end
    uint8_t m_halfUnit = 0;
};

class LineIndex {
public:
    // Starts over with one line at firstOffset (after a byte order mark).
    void reset(uint64_t firstOffset);
    // Adds line starts (increasing, after the last one).
    void append(const std::vector<uint64_t>& starts);
    // The bytes end at end: the last line runs to there.
    void finish(uint64_t end);

    // How many lines have started so far (at least one).
    uint64_t starts() const;
    // The start of a line below starts().
    uint64_t start(uint64_t line) const;
    bool complete() const { return m_complete.load(std::memory_order_acquire); }
    // The end of the text, once complete.
    uint64_t end() const { return m_end.load(std::memory_order_acquire); }
    // The line holding offset (the last line whose start is at or before it).
    uint64_t lineAt(uint64_t offset) const;
    // Bytes held by the index (for the memory figures).
    std::size_t memoryBytes() const;

private:
    static constexpr std::size_t chunkSize = 1 << 12;
    uint64_t at(uint64_t line) const { return m_chunks[line / chunkSize][line % chunkSize]; }

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<uint64_t[]>> m_chunks;
    uint64_t m_count = 0;
    std::atomic<bool> m_complete { false };
    std::atomic<uint64_t> m_end { 0 };
};

} // namespace ov
