// The response-head parser on its own: the input is parsed whole and in
// slices (the first byte chooses their size, 0 = one byte), and both ways
// must give the same result, within the parser's limits.
#include "news/http_response_head.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using ov::HttpResponseHead;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = data[0] == 0 ? 1 : data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    HttpResponseHead whole;
    size_t wholeConsumed = 0;
    const auto wholeStatus = whole.feed(input, wholeConsumed);

    HttpResponseHead sliced;
    size_t slicedConsumed = 0;
    auto slicedStatus = HttpResponseHead::Status::Incomplete;
    for (size_t i = 0; i < input.size() && slicedStatus == HttpResponseHead::Status::Incomplete; i += piece) {
        const std::string_view slice = input.substr(i, piece);
        size_t used = 0;
        slicedStatus = sliced.feed(slice, used);
        check(used <= slice.size());
        check(slicedStatus != HttpResponseHead::Status::Incomplete || used == slice.size());
        slicedConsumed += used;
    }

    // How the bytes were cut changes nothing.
    check(wholeStatus == slicedStatus);
    check(wholeConsumed == slicedConsumed);
    check(std::strcmp(whole.error(), sliced.error()) == 0);
    check(whole.statusCode() == sliced.statusCode() && whole.reason() == sliced.reason());
    check(whole.lines() == sliced.lines() && whole.fields() == sliced.fields());
    check(whole.contentLength() == sliced.contentLength() && whole.chunked() == sliced.chunked());
    check(whole.location() == sliced.location() && whole.headLength() == sliced.headLength());

    // The limits hold and the result is what it claims.
    check(wholeConsumed <= input.size());
    check(whole.headLength() <= HttpResponseHead::kMaxHeadLength);
    for (const auto& line : whole.lines())
        check(line.size() < HttpResponseHead::kMaxLineLength);
    check(whole.contentLength() >= -1);
    if (wholeStatus == HttpResponseHead::Status::Error)
        check(whole.error()[0] != '\0');
    if (wholeStatus == HttpResponseHead::Status::Done) {
        check(whole.headLength() == wholeConsumed);
        check(whole.statusCode() >= 200 && whole.statusCode() <= 999);
        check(!whole.lines().empty() && whole.lines()[0].starts_with("HTTP/1."));
        check(input[wholeConsumed - 1] == '\n');
        // Once done, more bytes are not taken.
        size_t more = 1;
        check(whole.feed(input, more) == HttpResponseHead::Status::Done && more == 0);
    }
    if (wholeStatus == HttpResponseHead::Status::Incomplete)
        check(wholeConsumed == input.size());
    return 0;
}
