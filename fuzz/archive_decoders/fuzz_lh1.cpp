// LHA -lh1- (LZHUF) over arbitrary input: byte 0 the piece sizes, bytes 1-2 the
// unpacked size, the rest the packed data.
#include "archive/decoders/lh1.h"
#include "fuzz/archive_decoders/fuzz_drive.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint64_t limit = data[1] | (unsigned(data[2]) << 8) | (unsigned(data[2] & 0x80) << 9);
    auto state = std::make_unique<ov::Lh1State>();
    state->reset(limit);
    ov::fuzz::drive(ov::lh1Decode, *state, data + 3, size - 3, limit, ov::fuzz::inputStepFrom(data[0], size),
        ov::fuzz::outputStepFrom(data[0]));
    return 0;
}
