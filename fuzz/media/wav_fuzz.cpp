// The WAV reader over any bytes: the header walk and the conversion of
// every frame it reports.
#include "platform/wav_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ov::WavInfo info;
    std::string error;
    if (ov::readWavHeader(data, size, info, error) != ov::WavStatus::Ok)
        return 0;
    if (info.dataOffset + info.dataBytes > size)
        __builtin_trap();
    const uint64_t frames = info.frames() > 4096 ? 4096 : info.frames();
    std::vector<int16_t> out(frames * static_cast<uint64_t>(info.channels));
    ov::convertWavFrames(info, data + info.dataOffset, frames, out.data());
    return 0;
}
