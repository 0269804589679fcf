// What the bytes of a generic resource (RCDATA and the like) hold, judged by
// their first bytes the way the resource explorer chooses how to show them.
#pragma once

#include <cstdint>
#include <span>

namespace ov {

enum class ResourceContent {
    Bitmap, // starts with "BM"
    Jpeg, // a JFIF JPEG: FF D8 FF E0 00 10 "JF"
    Avi, // "RIFF" at 0 and "AVI " at 8
    ComponentStream, // "TPF0", a component stream in binary form
    Raw, // anything else
};

ResourceContent sniffResource(std::span<const uint8_t> bytes);

} // namespace ov
