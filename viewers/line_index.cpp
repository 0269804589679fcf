#include "viewers/line_index.h"

#include <cstring>

namespace ov {

LineBreakScanner::LineBreakScanner(int unitBytes, bool bigEndian)
    : m_unitBytes(unitBytes == 2 ? 2 : 1)
    , m_bigEndian(bigEndian)
{
}

void LineBreakScanner::scan(
    const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts)
{
    if (m_unitBytes == 1)
        scanBytes(data, size, offset, starts);
    else
        scanUnits(data, size, offset, starts);
}

void LineBreakScanner::finish(std::vector<uint64_t>& starts)
{
    if (m_pendingCr)
        starts.push_back(m_afterCr);
    m_pendingCr = false;
}

void LineBreakScanner::scanBytes(
    const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts)
{
    const uint8_t* p = data;
    const uint8_t* const end = data + size;
    if (size == 0)
        return;
    // A CR that closed the previous block: CRLF when this one opens with LF.
    if (m_pendingCr) {
        m_pendingCr = false;
        if (*p == '\n') {
            starts.push_back(offset + 1);
            ++p;
        } else {
            starts.push_back(m_afterCr);
        }
    }
    const auto next = [end](const uint8_t* from, int byte) {
        const void* found = from < end ? std::memchr(from, byte, std::size_t(end - from)) : nullptr;
        return found ? static_cast<const uint8_t*>(found) : end;
    };
    // The next LF and the next CR, each found by memchr and searched again
    // only once it has been passed: a file without CR costs one extra pass.
    const uint8_t* lf = next(p, '\n');
    const uint8_t* cr = next(p, '\r');
    for (;;) {
        if (lf < cr) {
            starts.push_back(offset + uint64_t(lf - data) + 1);
            lf = next(lf + 1, '\n');
            continue;
        }
        if (cr == end)
            return;
        if (cr + 1 == end) {
            m_pendingCr = true;
            m_afterCr = offset + uint64_t(cr - data) + 1;
            return;
        }
        if (cr[1] == '\n') {
            starts.push_back(offset + uint64_t(cr - data) + 2);
            lf = next(cr + 2, '\n');
            cr = next(cr + 2, '\r');
        } else {
            starts.push_back(offset + uint64_t(cr - data) + 1);
            cr = next(cr + 1, '\r');
        }
    }
}

void LineBreakScanner::scanUnits(
    const uint8_t* data, std::size_t size, uint64_t offset, std::vector<uint64_t>& starts)
{
    std::size_t i = 0;
    // unitAt is the offset of the unit's first byte.
    const auto handle = [&](char16_t unit, uint64_t unitAt) {
        if (m_pendingCr) {
            m_pendingCr = false;
            if (unit == u'\n') {
                starts.push_back(unitAt + 2);
                return;
            }
            starts.push_back(m_afterCr);
        }
        if (unit == u'\n') {
            starts.push_back(unitAt + 2);
        } else if (unit == u'\r') {
            m_pendingCr = true;
            m_afterCr = unitAt + 2;
        }
    };
    const auto unitOf = [this](uint8_t first, uint8_t second) {
        return char16_t(m_bigEndian ? (first << 8 | second) : (second << 8 | first));
    };
    if (m_hasHalfUnit && size > 0) {
        m_hasHalfUnit = false;
        handle(unitOf(m_halfUnit, data[0]), offset - 1);
        i = 1;
    }
    for (; i + 1 < size; i += 2)
        handle(unitOf(data[i], data[i + 1]), offset + i);
    if (i < size) {
        m_hasHalfUnit = true;
        m_halfUnit = data[i];
    }
}

void LineIndex::reset(uint64_t firstOffset)
{
    std::lock_guard lock(m_mutex);
    m_chunks.clear();
    m_chunks.push_back(std::make_unique_for_overwrite<uint64_t[]>(chunkSize));
    m_chunks[0][0] = firstOffset;
    m_count = 1;
    m_complete.store(false, std::memory_order_release);
    m_end.store(firstOffset, std::memory_order_release);
}

void LineIndex::append(const std::vector<uint64_t>& starts)
{
    std::lock_guard lock(m_mutex);
    for (const uint64_t start : starts) {
        if (m_count == m_chunks.size() * chunkSize)
            m_chunks.push_back(std::make_unique_for_overwrite<uint64_t[]>(chunkSize));
        m_chunks[m_count / chunkSize][m_count % chunkSize] = start;
        ++m_count;
    }
}

void LineIndex::finish(uint64_t end)
{
    m_end.store(end, std::memory_order_release);
    m_complete.store(true, std::memory_order_release);
}

uint64_t LineIndex::starts() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

uint64_t LineIndex::start(uint64_t line) const
{
    std::lock_guard lock(m_mutex);
    return line < m_count ? at(line) : m_end.load(std::memory_order_acquire);
}

uint64_t LineIndex::lineAt(uint64_t offset) const
{
    std::lock_guard lock(m_mutex);
    // The first line whose start is past offset, less one.
    uint64_t low = 0, high = m_count;
    while (low < high) {
        const uint64_t middle = low + (high - low) / 2;
        if (at(middle) <= offset)
            low = middle + 1;
        else
            high = middle;
    }
    return low == 0 ? 0 : low - 1;
}

std::size_t LineIndex::memoryBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_chunks.size() * chunkSize * sizeof(uint64_t);
}

} // namespace ov
