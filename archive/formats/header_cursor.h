// The walk every archive header reader shares: reads that never pass the
// end of the file, a position that only moves forward, and the way the walk
// ended (an end marker, the file running out where a header was due, or a
// header that is not one).
#pragma once

#include "archive/file_layer.h"

#include <cstddef>
#include <cstdint>

namespace ov {

// How a header walk ended. Cut and Damaged mean members may be missing.
enum class WalkEnd {
    Running, // not ended yet
    Marker, // the kind's end marker (or the declared count) was reached
    Cut, // the file ends before the end marker or inside a header
    DataCut, // the file ends inside the last member's data
    Damaged, // a header with a wrong identifier, size or count
};

class HeaderCursor {
public:
    HeaderCursor(FileLayer& file, int64_t start);

    FileLayer& file() { return m_file; }
    int64_t size() const { return m_size; }
    int64_t position() const { return m_position; }

    // `length` bytes at `at` lie inside the file.
    bool fits(int64_t at, int64_t length) const
    {
        return at >= 0 && length >= 0 && at <= m_size && length <= m_size - at;
    }
    // Exactly `length` bytes at `at`, else false (nothing past the end).
    bool read(int64_t at, void* buffer, std::size_t length);

    // Moves to `next` when it lies strictly after the current position and
    // no further than the end of the file; otherwise ends the walk as Cut
    // (past the end) or Damaged (not forward) and returns false.
    bool advance(int64_t next);
    // Starts again at `at` (a fresh volume, or a skipped prefix).
    void restart(int64_t at) { m_position = at; }

    // Ends the walk the first time; later calls keep the first reason.
    bool finish(WalkEnd how)
    {
        if (m_end == WalkEnd::Running)
            m_end = how;
        return false;
    }
    WalkEnd ended() const { return m_end; }
    // The walk ended where members may be missing.
    bool incomplete() const
    {
        return m_end == WalkEnd::Cut || m_end == WalkEnd::DataCut || m_end == WalkEnd::Damaged;
    }

private:
    FileLayer& m_file;
    int64_t m_size;
    int64_t m_position;
    WalkEnd m_end = WalkEnd::Running;
};

} // namespace ov
