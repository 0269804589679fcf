// ResourcePicture: a resource converted into a picture file held in memory,
// ready for an image decoder: the bytes of a .bmp, .jpg, .ico or .cur file
// and the format name a decoder knows it by.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ov {

struct ResourcePicture {
    std::string format; // "BMP", "JPG", "ICO" or "CUR"
    std::vector<uint8_t> bytes;
};

} // namespace ov
