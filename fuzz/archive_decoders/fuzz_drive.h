// Shared by the decoder fuzz targets: runs a decoder over the input in
// pieces whose sizes come from the input's first byte, and checks what every
// decoder promises: it ends (Done or Corrupt, never stuck), it never writes
// more than the unpacked size it was given, and a corrupt state stays corrupt.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace ov::fuzz {

template <typename State, typename Decode>
Status drive(Decode decode, State& state, const std::uint8_t* data, std::size_t size, std::uint64_t limit,
    std::size_t inputStep, std::size_t outputStep, std::vector<std::uint8_t>* output = nullptr)
{
    std::vector<std::uint8_t> room(outputStep);
    std::size_t position = 0;
    std::size_t offered = std::min(size, inputStep);
    std::uint64_t written = 0;
    for (int idle = 0;;) {
        DecodeStream stream;
        stream.input = std::span<const std::uint8_t>(data + position, offered - position);
        stream.inputEnd = offered == size;
        stream.output = std::span<std::uint8_t>(room.data(), room.size());
        const Status status = decode(stream, state);
        const std::size_t consumed = (offered - position) - stream.input.size();
        const std::size_t produced = room.size() - stream.output.size();
        position += consumed;
        written += produced;
        if (output)
            output->insert(output->end(), room.begin(), room.begin() + std::ptrdiff_t(produced));
        if (written > limit)
            std::abort();
        if (status.isCorrupt()) {
            DecodeStream again;
            if (!(decode(again, state) == status))
                std::abort();
            return status;
        }
        if (status.isDone())
            return status;
        bool progress = consumed || produced;
        if (status.kind() == Status::Kind::NeedInput && offered < size) {
            offered = std::min(size, offered + inputStep);
            progress = true;
        }
        idle = progress ? 0 : idle + 1;
        if (idle > 4)
            std::abort(); // stuck: neither progress nor an ending
    }
}

// Piece sizes from one control byte: 1 to 16 input bytes or everything, and
// 1 to 8 output bytes or 64 KiB.
inline std::size_t inputStepFrom(std::uint8_t control, std::size_t size)
{
    return (control & 0x10) ? size : std::size_t(control & 0x0F) + 1;
}
inline std::size_t outputStepFrom(std::uint8_t control)
{
    return (control & 0x80) ? 65536 : std::size_t((control >> 5) & 3) * 2 + 1;
}

} // namespace ov::fuzz
