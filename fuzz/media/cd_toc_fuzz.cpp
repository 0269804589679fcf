// The TOC name rewriting over any bytes: it never reads outside its input,
// and a second pass over its own output changes nothing (every name it
// wrote is absolute).
#include "media/cd_toc.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool changed = false;
    const std::string once = ov::absoluteTocNames(text, "/images/a \"b\"", &changed);
    if (!changed && once != text)
        std::abort();
    bool again = true;
    if (ov::absoluteTocNames(once, "/images/a \"b\"", &again) != once || again)
        std::abort();
    return 0;
}
