// The response-head parser on its own, no server. Every row runs twice: the
// whole input in one call, and one byte per call; both must give the row's
// outcome and stop at the same byte.
#include "news/http_response_head.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ov {
namespace {

using Status = HttpResponseHead::Status;

struct HeadRow {
    const char* name;
    std::string input;
    Status status;
    const char* error = "";
    int code = 0;
    std::string reason;
    int64_t contentLength = -1;
    bool chunked = false;
    std::string location;
    size_t lines = 0;
    // Bytes after the head that the parser must leave alone (rows ending Done).
    std::string rest;
};

std::string longLine(size_t length)
{
    return "X-Long: " + std::string(length - 8, 'a');
}

std::string manyLines(size_t total)
{
    std::string text = "HTTP/1.0 200 OK\r\n";
    while (text.size() < total)
        text += "X-Filler: 0123456789012345678901234567890123456789\r\n";
    return text + "\r\n";
}

std::string manyInterimHeads()
{
    std::string text;
    while (text.size() < 70 * 1024)
        text += "HTTP/1.1 100 Continue\r\n\r\n";
    return text + "HTTP/1.1 200 OK\r\n\r\n";
}

const std::vector<HeadRow>& rows()
{
    static const std::vector<HeadRow> table = {
        { "plain head and body", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", Status::Done, "", 200,
            "OK", 5, false, "", 2, "hello" },
        { "bare LF line ends", "HTTP/1.1 200 Fine\nContent-Type: a/b\n\nxy", Status::Done, "", 200, "Fine",
            -1, false, "", 2, "xy" },
        { "status line without reason", "HTTP/1.0 200\r\n\r\n", Status::Done, "", 200, "", -1, false, "", 1,
            "" },
        { "reason with spaces kept whole", "HTTP/1.0 404 Not  Found \r\n\r\n", Status::Done, "", 404,
            "Not  Found ", -1, false, "", 1, "" },
        { "cut inside the status line", "HTTP/1.0 20", Status::Incomplete },
        { "cut before the empty line", "HTTP/1.0 200 OK\r\nA: b\r\n", Status::Incomplete, "", 200, "OK", -1,
            false, "", 2 },
        { "fields trimmed, names in any case",
            "HTTP/1.0 302 Found\r\nLOCATION:\t /next  \r\ncontent-length: 0\r\nTransfer-Encoding: gzip, "
            "Chunked\r\n\r\n",
            Status::Done, "", 302, "Found", 0, true, "/next", 4, "" },
        { "transfer coding not ending in chunked",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked, gzip\r\n\r\n", Status::Done, "", 200, "OK", -1,
            false, "", 2, "" },
        { "last Location wins", "HTTP/1.0 301 M\r\nLocation: /a\r\nLocation: /b\r\n\r\n", Status::Done, "",
            301, "M", -1, false, "/b", 3, "" },
        { "line without colon kept, ignored", "HTTP/1.0 200 OK\r\nno colon here\r\n\r\n", Status::Done, "",
            200, "OK", -1, false, "", 2, "" },
        { "same Content-Length twice", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 3\r\n\r\n",
            Status::Done, "", 200, "OK", 3, false, "", 3, "" },
        { "length past 4 GiB", "HTTP/1.0 200 OK\r\nContent-Length: 5000000000\r\n\r\n", Status::Done, "", 200,
            "OK", 5000000000LL, false, "", 2, "" },
        { "100 Continue skipped",
            "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", Status::Done, "",
            200, "OK", 2, false, "", 2, "ok" },
        { "interim fields forgotten",
            "HTTP/1.1 103 Early Hints\r\nLocation: /early\r\nContent-Length: x\r\n\r\n"
            "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 204 No Content\r\n\r\n",
            Status::Done, "", 204, "No Content", -1, false, "", 1, "" },
        { "cut inside an interim answer", "HTTP/1.1 100 Continue\r\n", Status::Incomplete },
        { "many interim heads count together", manyInterimHeads(), Status::Error,
            HttpResponseHead::kHeadTooLong },
        { "broken protocol name", "HTTX/1.0 200 OK\r\n\r\n", Status::Error,
            HttpResponseHead::kBadStatusLine },
        { "no space before the code", "HTTP/1.0200 OK\r\n\r\n", Status::Error,
            HttpResponseHead::kBadStatusLine },
        { "code below 100", "HTTP/1.1 099 Odd\r\n\r\n", Status::Error, HttpResponseHead::kBadStatusLine },
        { "two-digit code", "HTTP/1.0 20 OK\r\n\r\n", Status::Error, HttpResponseHead::kBadStatusLine },
        { "letter after the code", "HTTP/1.0 200OK\r\n\r\n", Status::Error,
            HttpResponseHead::kBadStatusLine },
        { "HTTP/2 status line", "HTTP/2.0 200 OK\r\n\r\n", Status::Error, HttpResponseHead::kBadStatusLine },
        { "no status line at all", "<html>hello</html>\r\n", Status::Error,
            HttpResponseHead::kBadStatusLine },
        { "empty line first", "\r\nHTTP/1.0 200 OK\r\n\r\n", Status::Error,
            HttpResponseHead::kBadStatusLine },
        { "negative Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\n", Status::Error,
            HttpResponseHead::kBadContentLength, 200, "OK", -1, false, "", 2 },
        { "conflicting Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n",
            Status::Error, HttpResponseHead::kBadContentLength, 200, "OK", 3, false, "", 3 },
        { "Content-Length of 19 digits", "HTTP/1.0 200 OK\r\nContent-Length: 1234567890123456789\r\n\r\n",
            Status::Error, HttpResponseHead::kBadContentLength, 200, "OK", -1, false, "", 2 },
        { "line of the largest size", "HTTP/1.0 200 OK\r\n" + longLine(8190) + "\r\n\r\n", Status::Done, "",
            200, "OK", -1, false, "", 2, "" },
        { "line one byte too long", "HTTP/1.0 200 OK\r\n" + longLine(8191) + "\r\n\r\n", Status::Error,
            HttpResponseHead::kLineTooLong, 200, "OK", -1, false, "", 1 },
        { "line too long before its end arrives", "HTTP/1.0 200 OK\r\n" + longLine(9000), Status::Error,
            HttpResponseHead::kLineTooLong, 200, "OK", -1, false, "", 1 },
        { "head of the largest size", manyLines(64 * 1024 - 200), Status::Done, "", 200, "OK", -1, false, "",
            0, "" },
        { "head too long", manyLines(70 * 1024), Status::Error, HttpResponseHead::kHeadTooLong, 200, "OK", -1,
            false, "", 0 },
    };
    return table;
}

struct HeadRun {
    Status status = Status::Incomplete;
    size_t consumed = 0;
    HttpResponseHead head;
};

HeadRun whole(const std::string& input)
{
    HeadRun run;
    run.status = run.head.feed(input, run.consumed);
    return run;
}

HeadRun byteAtATime(const std::string& input)
{
    HeadRun run;
    for (size_t i = 0; i < input.size() && run.status == Status::Incomplete; ++i) {
        size_t used = 0;
        run.status = run.head.feed(std::string_view(input).substr(i, 1), used);
        run.consumed += used;
    }
    return run;
}

TEST(HttpResponseHead, EveryRowWholeAndByteAtATime)
{
    for (const HeadRow& row : rows()) {
        SCOPED_TRACE(row.name);
        const HeadRun runs[] = { whole(row.input), byteAtATime(row.input) };
        for (const HeadRun& run : runs) {
            SCOPED_TRACE(&run == &runs[0] ? "whole" : "byte at a time");
            ASSERT_EQ(run.status, row.status);
            EXPECT_EQ(run.head.status(), row.status);
            EXPECT_STREQ(run.head.error(), row.error);
            EXPECT_EQ(run.head.statusCode(), row.code);
            EXPECT_EQ(run.head.reason(), row.reason);
            EXPECT_EQ(run.head.contentLength(), row.contentLength);
            EXPECT_EQ(run.head.chunked(), row.chunked);
            EXPECT_EQ(run.head.location(), row.location);
            if (row.lines != 0) {
                EXPECT_EQ(run.head.lines().size(), row.lines);
            }
            if (row.status == Status::Done) {
                EXPECT_EQ(row.input.substr(run.consumed), row.rest);
            }
            if (row.status == Status::Incomplete) {
                EXPECT_EQ(run.consumed, row.input.size());
            }
        }
        EXPECT_EQ(runs[0].consumed, runs[1].consumed);
        EXPECT_EQ(runs[0].head.lines(), runs[1].head.lines());
        EXPECT_EQ(runs[0].head.headLength(), runs[1].head.headLength());
    }
}

TEST(HttpResponseHead, FieldsAndLinesAsWritten)
{
    HttpResponseHead head;
    size_t consumed = 0;
    const std::string input
        = "HTTP/1.0 401 Who\r\nWWW-Authenticate: Basic realm=\"a\"\r\nContent-Type:\t text/plain "
          " \r\nwww-authenticate: Digest x\r\n\r\n";
    ASSERT_EQ(head.feed(input, consumed), Status::Done);
    EXPECT_EQ(consumed, input.size());
    EXPECT_EQ(head.contentType(), "text/plain");
    const std::vector<std::string> authenticate = { "Basic realm=\"a\"", "Digest x" };
    EXPECT_EQ(head.wwwAuthenticate(), authenticate);
    ASSERT_EQ(head.fields().size(), 3u);
    EXPECT_EQ(head.fields()[1].first, "Content-Type");
    EXPECT_EQ(head.fields()[1].second, "text/plain");
    EXPECT_EQ(head.lines()[2], "Content-Type:\t text/plain  ");
}

TEST(HttpResponseHead, EndStatesStayAndResetStartsOver)
{
    HttpResponseHead head;
    size_t consumed = 99;
    ASSERT_EQ(head.feed("HTTP/1.0 200 OK\r\n\r\n", consumed), Status::Done);
    EXPECT_EQ(head.feed("HTTP/1.0 500 No\r\n\r\n", consumed), Status::Done);
    EXPECT_EQ(consumed, 0u);
    EXPECT_EQ(head.statusCode(), 200);

    ASSERT_EQ(head.feed("", consumed), Status::Done);
    head.reset();
    EXPECT_EQ(head.feed("garbage\n", consumed), Status::Error);
    EXPECT_EQ(head.feed("HTTP/1.0 200 OK\r\n\r\n", consumed), Status::Error);
    EXPECT_EQ(consumed, 0u);
    EXPECT_FALSE(head.tooLong());
    head.reset();
    EXPECT_EQ(head.feed("HTTP/1.0 204 Empty\r\n\r\n", consumed), Status::Done);
    EXPECT_EQ(head.statusCode(), 204);
    EXPECT_STREQ(head.error(), "");
}

} // namespace
} // namespace ov
