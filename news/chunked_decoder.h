// ChunkedDecoder: the "chunked" transfer coding of HTTP/1.1 (RFC 9112,
// section 7.1), for servers that send it even to an HTTP/1.0 client.
//
// Incremental and I/O-free: feed() takes any slice of the stream, hands the
// body bytes to a sink as they appear and keeps what it needs to resume in
// its state. Chunk extensions and trailer fields are skipped. A size may
// carry any number of leading zeros. A size or a framing line that is not
// well formed is corrupt, and stays corrupt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace ov {

class ChunkedDecoder {
public:
    enum class Status { NeedMore, Done, Corrupt };
    using Sink = std::function<void(const char* data, size_t length)>;

    // Decodes from data; consumed receives how many bytes were used (all of
    // them unless the stream ended inside this slice).
    Status feed(const char* data, size_t length, size_t& consumed, const Sink& sink);
    // The stream has ended (the server closed the connection). Done when the
    // last, empty chunk had been read, even if the line ending the body (or
    // the trailer) was cut off; otherwise the status stays as it was.
    Status finish();
    Status status() const { return m_status; }

private:
    enum class State { Size, Extension, Data, DataCr, DataLf, Trailer };

    State m_state = State::Size;
    Status m_status = Status::NeedMore;
    uint64_t m_remaining = 0;
    bool m_sizeSeen = false; // a digit of the size, a leading zero included
    int m_digits = 0; // significant digits of the size
    size_t m_lineLength = 0;
};

} // namespace ov
