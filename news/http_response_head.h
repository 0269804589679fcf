// HttpResponseHead: the head of an HTTP/1.x response (status line and header
// fields, RFC 9112 sections 4 and 5), parsed incrementally.
//
// No I/O and no knowledge of sockets: feed() takes any slice of the bytes the
// server sent and says how many of them belong to the head. Interim answers
// (1xx, such as "100 Continue") are skipped whole: only the final head's
// lines and fields are kept. Lines end in LF, a CR before it is dropped. A
// line may take kMaxLineLength bytes with its line end, all heads together
// kMaxHeadLength; past either limit, and on a status line or Content-Length
// that is not well formed, the parse fails and stays failed.
//
// Not here: the body, obsolete line folding (a folded line is kept as a line
// of its own and otherwise ignored), request heads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ov {

class HttpResponseHead {
public:
    enum class Status { Incomplete, Done, Error };

    static constexpr size_t kMaxLineLength = 8192;
    static constexpr size_t kMaxHeadLength = 64 * 1024;

    // The error texts, which the client shows as its ReasonPhrase.
    static constexpr const char* kLineTooLong = "Header line too long";
    static constexpr const char* kHeadTooLong = "Header too long";
    static constexpr const char* kBadStatusLine = "Invalid status line";
    static constexpr const char* kBadContentLength = "Invalid Content-Length";

    // Parses bytes; consumed receives how many of them belong to the head
    // (all of them unless it ended inside this slice). Done once the empty
    // line after the final head's fields has been read; after Done or Error
    // every call returns the same again and consumes nothing.
    Status feed(std::string_view bytes, size_t& consumed);
    // Back to the state before the first byte.
    void reset();

    Status status() const { return m_status; }
    // The text of the failure ("" unless status() is Error).
    const char* error() const { return m_error; }
    // True when the failure is one of the two length limits.
    bool tooLong() const { return m_error == kLineTooLong || m_error == kHeadTooLong; }

    // 0 until the final head's status line has been read.
    int statusCode() const { return m_statusCode; }
    const std::string& reason() const { return m_reason; }
    // Every non-empty line of the final head, the status line first, as it
    // arrived (line end removed); grows line by line during the parse.
    const std::vector<std::string>& lines() const { return m_lines; }
    // Name (as written) and value (surrounding blanks removed) of each line
    // holding a colon.
    const std::vector<std::pair<std::string, std::string>>& fields() const { return m_fields; }
    // -1 without a Content-Length field.
    int64_t contentLength() const { return m_contentLength; }
    // True when Transfer-Encoding ends with "chunked".
    bool chunked() const { return m_chunked; }
    // The last Location value ("" without one).
    const std::string& location() const { return m_location; }
    const std::string& contentType() const { return m_contentType; }
    const std::vector<std::string>& wwwAuthenticate() const { return m_wwwAuthenticate; }
    // Bytes of all heads read so far, interim ones included.
    size_t headLength() const { return m_headLength; }

private:
    void line(std::string_view text);
    void fail(const char* error);
    void clearFields();

    Status m_status = Status::Incomplete;
    const char* m_error = "";
    std::string m_line;
    size_t m_headLength = 0;
    bool m_statusLineSeen = false;
    bool m_interim = false;

    int m_statusCode = 0;
    std::string m_reason;
    std::vector<std::string> m_lines;
    std::vector<std::pair<std::string, std::string>> m_fields;
    int64_t m_contentLength = -1;
    bool m_chunked = false;
    std::string m_location;
    std::string m_contentType;
    std::vector<std::string> m_wwwAuthenticate;
};

} // namespace ov
