// The JPEG decoder on arbitrary bytes, once at full size and once scaled
// into a panel-sized box: it must return a status, never crash or leave
// the process.
#include "platform/picture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ov::Picture scaled = ov::decodeJpeg(data, size, QSize(200, 150));
    if (scaled.status == ov::PictureStatus::Ok && scaled.image.isNull())
        __builtin_trap();
    // Full size only for small declared pictures, to keep each run quick.
    if (scaled.naturalSize.width() <= 1024 && scaled.naturalSize.height() <= 1024)
        ov::decodeJpeg(data, size);
    return 0;
}
