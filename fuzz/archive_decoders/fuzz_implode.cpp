// Implode over arbitrary input: byte 0 the piece sizes and (bits 5-6) the
// flags (window size, literal tree), bytes 1-2 the unpacked size, the rest
// the packed data.
#include "archive/decoders/implode.h"
#include "fuzz/archive_decoders/fuzz_drive.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint64_t limit = data[1] | (unsigned(data[2]) << 8);
    auto state = std::make_unique<ov::ImplodeState>();
    state->reset(limit, (data[0] >> 4) & 6);
    ov::fuzz::drive(ov::implodeDecode, *state, data + 3, size - 3, limit,
        ov::fuzz::inputStepFrom(data[0], size), ov::fuzz::outputStepFrom(data[0]));
    return 0;
}
