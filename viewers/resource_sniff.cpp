#include "viewers/resource_sniff.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

bool startsWith(std::span<const uint8_t> bytes, std::size_t at, const char* text, std::size_t length)
{
    return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}

} // namespace

ResourceContent sniffResource(std::span<const uint8_t> bytes)
{
    if (startsWith(bytes, 0, "BM", 2))
        return ResourceContent::Bitmap;
    if (startsWith(bytes, 0, "\xFF\xD8\xFF\xE0\x00\x10JF", 8))
        return ResourceContent::Jpeg;
    if (startsWith(bytes, 0, "RIFF", 4) && startsWith(bytes, 8, "AVI ", 4))
        return ResourceContent::Avi;
    if (startsWith(bytes, 0, "TPF0", 4))
        return ResourceContent::ComponentStream;
    return ResourceContent::Raw;
}

} // namespace ov
