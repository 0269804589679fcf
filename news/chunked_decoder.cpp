#include "news/chunked_decoder.h"

#include <algorithm>

namespace ov {

namespace {

// Longest chunk-size or trailer line taken, as for header lines.
constexpr size_t kMaxLine = 8192;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

ChunkedDecoder::Status ChunkedDecoder::feed(
    const char* data, size_t length, size_t& consumed, const Sink& sink)
{
    size_t i = 0;
    while (i < length && m_status == Status::NeedMore) {
        const char c = data[i];
        switch (m_state) {
        case State::Size: {
            const int value = hexValue(c);
            if (value >= 0) {
                // 15 significant hex digits keep every size far below
                // overflow; leading zeros do not count.
                m_sizeSeen = true;
                if ((m_digits > 0 || value != 0) && ++m_digits > 15) {
                    m_status = Status::Corrupt;
                    break;
                }
                m_remaining = m_remaining * 16 + static_cast<unsigned>(value);
                ++i;
                break;
            }
            if (!m_sizeSeen) {
                m_status = Status::Corrupt;
                break;
            }
            m_state = State::Extension;
            m_lineLength = 0;
            [[fallthrough]];
        }
        case State::Extension:
            ++i;
            if (c == '\n') {
                m_state = m_remaining == 0 ? State::Trailer : State::Data;
                m_lineLength = 0;
            } else if (++m_lineLength > kMaxLine) {
                m_status = Status::Corrupt;
            }
            break;
        case State::Data: {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(m_remaining, length - i));
            sink(data + i, take);
            i += take;
            m_remaining -= take;
            if (m_remaining == 0)
                m_state = State::DataCr;
            break;
        }
        case State::DataCr:
        case State::DataLf:
            ++i;
            if (c == '\r' && m_state == State::DataCr) {
                m_state = State::DataLf;
            } else if (c == '\n') {
                m_state = State::Size;
                m_sizeSeen = false;
                m_digits = 0;
            } else {
                m_status = Status::Corrupt;
            }
            break;
        case State::Trailer:
            ++i;
            if (c == '\n') {
                if (m_lineLength == 0)
                    m_status = Status::Done;
                m_lineLength = 0;
            } else if (c != '\r' && ++m_lineLength > kMaxLine) {
                m_status = Status::Corrupt;
            }
            break;
        }
    }
    consumed = i;
    return m_status;
}

ChunkedDecoder::Status ChunkedDecoder::finish()
{
    if (m_status == Status::NeedMore && m_state == State::Trailer)
        m_status = Status::Done;
    return m_status;
}

} // namespace ov
