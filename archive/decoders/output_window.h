// The sliding window most decoders write into: decoded bytes go into one
// buffer that keeps the last `history` bytes for back-references, and flush()
// hands the new bytes to the caller's output. When the buffer is full and
// flushed, the history slides to the front, so a back-reference never wraps.
//
// It also holds the member's unpacked size: bytes past it are never stored
// (put/copy report it and the decoder returns Corrupt(BadBlock)).
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace ov {

class OutputWindow {
public:
    // history: the largest back-reference distance; chunk: bytes decoded
    // between slides (room() is at least chunk / 2 after a full flush, so a
    // decoder step may write up to that much). limit: the member's unpacked
    // size.
    void reset(std::size_t history, std::uint64_t limit, std::size_t chunk = 32768)
    {
        m_history = history;
        m_chunk = chunk;
        m_data.assign(history + chunk, 0);
        m_pos = 0;
        m_flushed = 0;
        m_prefilled = 0;
        m_produced = 0;
        m_limit = limit;
    }

    // Fills the whole history with one byte, counted as produced history
    // (for methods whose window starts pre-filled, e.g. with spaces).
    void prefill(std::uint8_t value)
    {
        std::memset(m_data.data(), value, m_history);
        m_pos = m_history;
        m_flushed = m_history;
        m_prefilled = m_history;
    }

    // Free bytes before the next slide.
    std::size_t room() const { return m_data.size() - m_pos; }
    // Bytes still allowed by the unpacked size.
    std::uint64_t remaining() const { return m_limit - m_produced; }
    std::uint64_t produced() const { return m_produced; }
    bool atLimit() const { return m_produced == m_limit; }
    bool pending() const { return m_pos != m_flushed; }

    // Appends one byte; false when the unpacked size is already reached.
    // The caller checks room() first.
    bool put(std::uint8_t value)
    {
        if (m_produced == m_limit)
            return false;
        m_data[m_pos++] = value;
        ++m_produced;
        return true;
    }

    // Whether a back-reference of this distance reaches only real bytes.
    bool reaches(std::size_t distance) const
    {
        return distance != 0 && distance <= m_history && distance <= m_produced + m_prefilled;
    }

    // Copies length bytes from distance back (overlap repeats, as LZ77
    // wants). The caller checks reaches() and room(); false when the copy
    // would pass the unpacked size (nothing past it is written).
    bool copy(std::size_t distance, std::size_t length)
    {
        bool fits = true;
        if (length > remaining()) {
            length = static_cast<std::size_t>(remaining());
            fits = false;
        }
        std::uint8_t* to = m_data.data() + m_pos;
        const std::uint8_t* from = to - distance;
        if (distance >= length)
            std::memcpy(to, from, length);
        else
            for (std::size_t i = 0; i < length; ++i)
                to[i] = from[i];
        m_pos += length;
        m_produced += length;
        return fits;
    }

    // Raw access for decoders with their own fast loops.
    std::uint8_t* data() { return m_data.data(); }
    std::size_t position() const { return m_pos; }
    void advance(std::size_t count)
    {
        m_pos += count;
        m_produced += count;
    }

    // Hands pending bytes to the output; once everything is flushed and less
    // than half a chunk of room is left, slides the history to the front. Returns true when nothing is left
    // pending.
    bool flush(DecodeStream& stream)
    {
        std::size_t count = m_pos - m_flushed;
        if (count > stream.output.size())
            count = stream.output.size();
        if (count) {
            std::memcpy(stream.output.data(), m_data.data() + m_flushed, count);
            stream.produce(count);
            m_flushed += count;
        }
        if (m_flushed != m_pos)
            return false;
        if (room() < m_chunk / 2 && m_pos > m_history) {
            std::memmove(m_data.data(), m_data.data() + m_pos - m_history, m_history);
            m_pos = m_flushed = m_history;
        }
        return true;
    }

private:
    std::vector<std::uint8_t> m_data;
    std::size_t m_history = 0;
    std::size_t m_chunk = 0;
    std::size_t m_pos = 0;
    std::size_t m_flushed = 0;
    std::size_t m_prefilled = 0;
    std::uint64_t m_produced = 0;
    std::uint64_t m_limit = 0;
};

} // namespace ov
