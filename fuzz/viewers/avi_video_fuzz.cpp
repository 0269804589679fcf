// Fuzz target avi_video: opens the input as an AVI file and decodes its
// first frames forwards and then one backwards (fewer for large pictures, so
// that one input stays quick).
#include "viewers/avi_video.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto video = ov::AviVideo::open({ data, size });
    if (!video)
        return 0;
    const int64_t pixels = int64_t(video->Width()) * video->Height();
    const int frames = std::min(video->FrameCount(), pixels > 65536 ? 2 : 16);
    for (int i = 0; i < frames; ++i)
        video->Frame(i);
    video->Frame(frames / 2);
    return 0;
}
