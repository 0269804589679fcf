#include "news/http_response_head.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view text, std::string_view lowerName)
{
    if (text.size() != lowerName.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (lower(text[i]) != lowerName[i])
            return false;
    return true;
}

bool endsWithNoCase(std::string_view text, std::string_view lowerSuffix)
{
    return text.size() >= lowerSuffix.size()
        && equalsNoCase(text.substr(text.size() - lowerSuffix.size()), lowerSuffix);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "HTTP/1.x" + space + three digits, then the end or a space.
bool isStatusLine(std::string_view line)
{
    return line.size() >= 12 && line.starts_with("HTTP/1.") && isDigit(line[7]) && line[8] == ' '
        && isDigit(line[9]) && isDigit(line[10]) && isDigit(line[11])
        && (line.size() == 12 || line[12] == ' ');
}

// A Content-Length value: digits only, at most 18 of them (no overflow).
bool parseLength(std::string_view text, int64_t& length)
{
    if (text.empty() || text.size() > 18)
        return false;
    int64_t value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    length = value;
    return true;
}

} // namespace

void HttpResponseHead::reset()
{
    *this = HttpResponseHead();
}

void HttpResponseHead::clearFields()
{
    m_statusCode = 0;
    m_reason.clear();
    m_lines.clear();
    m_fields.clear();
    m_contentLength = -1;
    m_chunked = false;
    m_location.clear();
    m_contentType.clear();
    m_wwwAuthenticate.clear();
}

void HttpResponseHead::fail(const char* error)
{
    m_status = Status::Error;
    m_error = error;
}

// The bytes are taken a line at a time. Both limits are checked byte by byte
// in effect (the first byte past either one fails), so how the stream is cut
// into slices never changes the outcome.
HttpResponseHead::Status HttpResponseHead::feed(std::string_view bytes, size_t& consumed)
{
    size_t i = 0;
    while (i < bytes.size() && m_status == Status::Incomplete) {
        const char* begin = bytes.data() + i;
        const size_t left = bytes.size() - i;
        const void* found = std::memchr(begin, '\n', left);
        const size_t take = found ? static_cast<size_t>(static_cast<const char*>(found) - begin) + 1 : left;
        const size_t text = found ? take - 1 : take;

        // The 1-based position in this slice of the byte that breaks a limit.
        const size_t lineRoom = kMaxLineLength - m_line.size();
        const size_t lineBreak = text >= lineRoom ? lineRoom : 0;
        const size_t headRoom = kMaxHeadLength - m_headLength;
        const size_t headBreak = take > headRoom ? headRoom + 1 : 0;
        if (lineBreak != 0 || headBreak != 0) {
            const bool lineFirst = lineBreak != 0 && (headBreak == 0 || lineBreak <= headBreak);
            const size_t before = (lineFirst ? lineBreak : headBreak) - 1;
            m_headLength += before;
            i += before;
            fail(lineFirst ? kLineTooLong : kHeadTooLong);
            break;
        }

        m_line.append(begin, text);
        m_headLength += take;
        i += take;
        if (!found)
            break;
        std::string complete;
        complete.swap(m_line);
        std::string_view view(complete);
        if (view.ends_with('\r'))
            view.remove_suffix(1);
        line(view);
    }
    consumed = i;
    return m_status;
}

void HttpResponseHead::line(std::string_view text)
{
    if (text.empty()) {
        if (!m_statusLineSeen)
            return fail(kBadStatusLine);
        m_statusLineSeen = false;
        if (m_interim) {
            // An interim answer ends: the final one follows.
            m_interim = false;
            return;
        }
        m_status = Status::Done;
        return;
    }
    if (!m_statusLineSeen) {
        m_statusLineSeen = true;
        if (!isStatusLine(text))
            return fail(kBadStatusLine);
        // A code below 100 belongs to no class (RFC 9110, section 15).
        const int code = (text[9] - '0') * 100 + (text[10] - '0') * 10 + (text[11] - '0');
        if (code < 100)
            return fail(kBadStatusLine);
        if (code < 200) {
            m_interim = true;
            return;
        }
        clearFields();
        m_statusCode = code;
        m_reason = text.size() > 13 ? std::string(text.substr(13)) : std::string();
        m_lines.emplace_back(text);
        return;
    }
    if (m_interim)
        return;
    m_lines.emplace_back(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return;
    const std::string_view name = trimmed(text.substr(0, colon));
    const std::string_view value = trimmed(text.substr(colon + 1));
    m_fields.emplace_back(std::string(name), std::string(value));
    if (equalsNoCase(name, "location")) {
        m_location = std::string(value);
    } else if (equalsNoCase(name, "content-length")) {
        int64_t length = 0;
        if (!parseLength(value, length) || (m_contentLength >= 0 && m_contentLength != length))
            return fail(kBadContentLength);
        m_contentLength = length;
    } else if (equalsNoCase(name, "content-type")) {
        m_contentType = std::string(value);
    } else if (equalsNoCase(name, "www-authenticate")) {
        m_wwwAuthenticate.emplace_back(value);
    } else if (equalsNoCase(name, "transfer-encoding")) {
        m_chunked = endsWithNoCase(value, "chunked");
    }
}

} // namespace ov
