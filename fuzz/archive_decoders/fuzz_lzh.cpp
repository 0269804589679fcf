// The LZH family over arbitrary input: byte 0 the piece sizes, byte 1 the
// method (ARJ 1-3, -lh4- to -lh7-), bytes 2-3 the unpacked size, the rest
// the packed data.
#include "archive/decoders/lzh.h"
#include "fuzz/archive_decoders/fuzz_drive.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const auto method = static_cast<ov::LzhMethod>(data[1] % 7);
    const std::uint64_t limit = data[2] | (unsigned(data[3]) << 8) | (unsigned(data[3] & 0x80) << 9);
    auto state = std::make_unique<ov::LzhState>();
    state->reset(method, limit);
    ov::fuzz::drive(ov::lzhDecode, *state, data + 4, size - 4, limit, ov::fuzz::inputStepFrom(data[0], size),
        ov::fuzz::outputStepFrom(data[0]));
    return 0;
}
