// The chunked transfer decoder on its own. Every row runs twice, the whole
// input in one call and one byte per call, then the stream ends (finish());
// both ways must give the row's body and status.
#include "news/chunked_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ov {
namespace {

using Status = ChunkedDecoder::Status;

struct ChunkRow {
    const char* name;
    std::string input;
    Status fed; // the status once every byte has been fed
    Status finished; // the status after the end of the stream
    std::string body;
    std::string rest = {}; // bytes after the end of the body, left unused
};

const std::vector<ChunkRow>& rows()
{
    static const std::vector<ChunkRow> table = {
        { "two chunks", "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", Status::Done, Status::Done, "hello world" },
        { "upper and lower hex digits", "a\r\n0123456789\r\nA\r\nabcdefghij\r\n0\r\n\r\n", Status::Done,
            Status::Done, "0123456789abcdefghij" },
        { "extensions and trailer skipped", "5;name=value\r\nhello\r\n0;x\r\nT: v\r\nU: w\r\n\r\n",
            Status::Done, Status::Done, "hello" },
        { "bare LF line ends", "2\nhi\n0\n\n", Status::Done, Status::Done, "hi" },
        { "bytes after the end left alone", "1\r\nx\r\n0\r\n\r\nHTTP/1.1", Status::Done, Status::Done, "x",
            "HTTP/1.1" },
        { "leading zeros", "0000000000000000000000005\r\nhello\r\n00000000000000000000\r\n\r\n", Status::Done,
            Status::Done, "hello" },
        { "fifteen significant digits", "000fffffffffffffff\r\n", Status::NeedMore, Status::NeedMore, "" },
        { "sixteen significant digits", "1000000000000000\r\n", Status::Corrupt, Status::Corrupt, "" },
        { "end without the last CRLF", "5\r\nhello\r\n0\r\n", Status::NeedMore, Status::Done, "hello" },
        { "end inside the trailer", "5\r\nhello\r\n0\r\nT: v", Status::NeedMore, Status::Done, "hello" },
        { "end after the trailer's CR", "5\r\nhello\r\n0\r\n\r", Status::NeedMore, Status::Done, "hello" },
        { "end inside a chunk", "5\r\nhel", Status::NeedMore, Status::NeedMore, "hel" },
        { "end inside the last size line", "5\r\nhello\r\n0", Status::NeedMore, Status::NeedMore, "hello" },
        { "end before the CRLF after the data", "5\r\nhello", Status::NeedMore, Status::NeedMore, "hello" },
        { "no size digits", "\r\nhello\r\n", Status::Corrupt, Status::Corrupt, "" },
        { "size not hex", "zz\r\n", Status::Corrupt, Status::Corrupt, "" },
        { "data longer than its size", "2\r\nabc\r\n0\r\n\r\n", Status::Corrupt, Status::Corrupt, "ab" },
        { "extension line too long", "5;" + std::string(9000, 'x') + "\r\n", Status::Corrupt, Status::Corrupt,
            "" },
    };
    return table;
}

struct Decoded {
    Status fed = Status::NeedMore;
    Status finished = Status::NeedMore;
    std::string body;
    size_t consumed = 0;
};

Decoded decode(const std::string& input, size_t piece)
{
    Decoded result;
    ChunkedDecoder decoder;
    const auto sink = [&result](const char* data, size_t length) { result.body.append(data, length); };
    for (size_t i = 0; i < input.size() && result.fed == Status::NeedMore; i += piece) {
        size_t used = 0;
        const size_t length = std::min(piece, input.size() - i);
        result.fed = decoder.feed(input.data() + i, length, used, sink);
        result.consumed += used;
        if (result.fed == Status::NeedMore) {
            EXPECT_EQ(used, length);
        }
    }
    result.finished = decoder.finish();
    EXPECT_EQ(decoder.status(), result.finished);
    return result;
}

TEST(ChunkedDecoder, EveryRowWholeAndByteAtATime)
{
    for (const ChunkRow& row : rows()) {
        SCOPED_TRACE(row.name);
        for (const size_t piece : { row.input.size(), size_t(1) }) {
            SCOPED_TRACE(piece == 1 ? "byte at a time" : "whole");
            const Decoded decoded = decode(row.input, piece);
            EXPECT_EQ(decoded.fed, row.fed);
            EXPECT_EQ(decoded.finished, row.finished);
            EXPECT_EQ(decoded.body, row.body);
            if (row.fed == Status::Done) {
                EXPECT_EQ(row.input.substr(decoded.consumed), row.rest);
            }
        }
    }
}

} // namespace
} // namespace ov
