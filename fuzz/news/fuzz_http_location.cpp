// The Location resolver: the input is "base path" NUL "location". A
// resolved target is always an origin-form path without a line break, a
// space or a dot segment of its own making, on a valid port.
#include "news/http_url.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto split = input.find('\0');
    ov::HttpTarget current { "origin", 8080, "/" };
    std::string_view location = input;
    if (split != std::string_view::npos) {
        current.path = ov::encodePath(input.substr(0, split));
        location = input.substr(split + 1);
    }
    ov::HttpTarget next;
    std::string error;
    if (!ov::resolveLocation(current, location, next, error))
        return 0;
    if (!next.path.starts_with("/") || next.path.find_first_of("\r\n \t#") != std::string::npos)
        std::abort();
    if (next.port == 0)
        std::abort();
    const std::string_view path = std::string_view(next.path).substr(0, next.path.find('?'));
    if (path.find("/../") != std::string_view::npos || path.ends_with("/.."))
        std::abort();
    return 0;
}
