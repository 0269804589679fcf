// Inflate against zlib's raw inflate: whenever zlib decodes the input to its
// end, we must give the same bytes; we must never run past the size given.
// Byte 0 chooses the piece sizes; the rest is the deflate stream.
#include "archive/decoders/inflate.h"
#include "fuzz/archive_decoders/fuzz_drive.h"

#include <zlib.h>

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t control = data[0];
    ++data;
    --size;
    constexpr std::size_t Limit = 1 << 20;

    std::vector<std::uint8_t> expected(Limit);
    z_stream z {};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    z.next_out = expected.data();
    z.avail_out = uInt(expected.size());
    const bool zlibDone = inflate(&z, Z_FINISH) == Z_STREAM_END;
    expected.resize(z.total_out);
    inflateEnd(&z);

    auto state = std::make_unique<ov::InflateState>();
    state->reset(Limit);
    std::vector<std::uint8_t> ours;
    const ov::Status status = ov::fuzz::drive(ov::inflateDecode, *state, data, size, Limit,
        ov::fuzz::inputStepFrom(control, size), ov::fuzz::outputStepFrom(control), &ours);
    if (zlibDone && (!status.isDone() || ours != expected))
        std::abort();
    return 0;
}
