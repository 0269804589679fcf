// URL parsing and the request target built from it: whatever the URL, the
// request line never carries a line break, a space or the credentials.
#include "news/http_url.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    const ov::ParsedUrl parts = ov::ParseURL(url);
    (void)parts;
    ov::HttpTarget target;
    std::string user, password, error;
    if (!ov::targetFromUrl(url, target, user, password, error))
        return 0;
    for (const bool viaProxy : { false, true }) {
        const std::string line = ov::requestTarget(target, viaProxy);
        if (line.find_first_of("\r\n \t") != std::string::npos || line.find('#') != std::string::npos)
            std::abort();
        if (!viaProxy && !line.starts_with("/"))
            std::abort();
    }
    if (target.port == 0)
        std::abort();
    (void)ov::docNameOf(target.path);
    return 0;
}
