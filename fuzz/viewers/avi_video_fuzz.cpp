// Fuzz target avi_video: opens the input as an AVI file and decodes its
// frames (the first 64), forwards and then one backwards.
#include "viewers/avi_video.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto video = ov::AviVideo::open({ data, size });
    if (!video)
        return 0;
    const int frames = std::min(video->FrameCount(), 64);
    for (int i = 0; i < frames; ++i)
        video->Frame(i);
    video->Frame(frames / 2);
    return 0;
}
