// The ARC methods over arbitrary input: byte 0 the piece sizes, byte 1 the
// method (3 unpack, 4 squeeze, 5-7 hashed LZW, 8 crunch, 9 squash), bytes
// 2-3 the unpacked size, the rest the packed data.
#include "archive/decoders/arc_crunch.h"
#include "archive/decoders/arc_lzw.h"
#include "archive/decoders/arc_squeeze.h"
#include "archive/decoders/arc_unpack.h"
#include "fuzz/archive_decoders/fuzz_drive.h"

#include <memory>

namespace {

template <typename State, typename Decode, typename... Method>
void run(Decode decode, const std::uint8_t* data, std::size_t size, std::uint64_t limit, std::uint8_t control,
    Method... method)
{
    auto state = std::make_unique<State>();
    state->reset(method..., limit);
    ov::fuzz::drive(decode, *state, data, size, limit, ov::fuzz::inputStepFrom(control, size),
        ov::fuzz::outputStepFrom(control));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint64_t limit = data[2] | (unsigned(data[3]) << 8) | (unsigned(data[3] & 0x80) << 9);
    const std::uint8_t* packed = data + 4;
    const std::size_t length = size - 4;
    switch (3 + data[1] % 7) {
    case 3:
        run<ov::ArcUnpackState>(ov::arcUnpackDecode, packed, length, limit, data[0]);
        break;
    case 4:
        run<ov::ArcSqueezeState>(ov::arcSqueezeDecode, packed, length, limit, data[0]);
        break;
    case 5:
        run<ov::ArcLzwState>(ov::arcLzwDecode, packed, length, limit, data[0], ov::ArcLzwMethod::Crunch5);
        break;
    case 6:
        run<ov::ArcLzwState>(ov::arcLzwDecode, packed, length, limit, data[0], ov::ArcLzwMethod::Crunch6);
        break;
    case 7:
        run<ov::ArcLzwState>(ov::arcLzwDecode, packed, length, limit, data[0], ov::ArcLzwMethod::Crunch7);
        break;
    case 8:
        run<ov::ArcCrunchState>(
            ov::arcCrunchDecode, packed, length, limit, data[0], ov::ArcCrunchMethod::Crunch8);
        break;
    default:
        run<ov::ArcCrunchState>(
            ov::arcCrunchDecode, packed, length, limit, data[0], ov::ArcCrunchMethod::Squash9);
        break;
    }
    return 0;
}
