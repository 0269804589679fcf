// Test helpers for the decoders: run one over a whole input at once, or with
// input and output handed over in small pieces (one byte at a time), and
// collect what it wrote and how it ended.
#pragma once

#include "archive/decoders/decoder.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ov::test {

using Bytes = std::vector<std::uint8_t>;

struct DecodeResult {
    Status status = Status::needInput();
    Bytes output;
};

// Feeds `input` in pieces of inputStep bytes and gives outputStep bytes of
// room per call (0: everything at once). Stops at the first Done or Corrupt;
// a decoder that neither progresses nor stops fails the run.
template <typename State, typename Decode>
DecodeResult runDecoder(Decode decode, State& state, const Bytes& input, std::size_t inputStep = 0,
    std::size_t outputStep = 0, std::size_t outputCap = std::size_t(1) << 26)
{
    DecodeResult result;
    std::size_t offered = inputStep ? std::min(inputStep, input.size()) : input.size();
    std::size_t position = 0; // first byte not consumed
    Bytes room(outputStep ? outputStep : std::size_t(1) << 16);
    for (int idle = 0; idle < 8;) {
        DecodeStream stream;
        stream.input = std::span<const std::uint8_t>(input.data() + position, offered - position);
        stream.inputEnd = offered == input.size();
        stream.output = std::span<std::uint8_t>(room.data(), room.size());
        const Status status = decode(stream, state);
        const std::size_t consumed = (offered - position) - stream.input.size();
        const std::size_t written = room.size() - stream.output.size();
        position += consumed;
        result.output.insert(result.output.end(), room.begin(), room.begin() + std::ptrdiff_t(written));
        result.status = status;
        if (status.isDone() || status.isCorrupt() || result.output.size() > outputCap)
            return result;
        bool progress = consumed || written;
        if (status.kind() == Status::Kind::NeedInput && offered < input.size()) {
            offered = inputStep ? std::min(offered + inputStep, input.size()) : input.size();
            progress = true;
        }
        idle = progress ? 0 : idle + 1;
    }
    return result;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Bytes that compress in an interesting way: text-like runs, repeats at many
// distances and some noise, from a fixed seed.
inline Bytes sampleData(std::size_t size, std::uint32_t seed)
{
    Bytes data;
    data.reserve(size);
    std::uint32_t x = seed * 2654435761u + 1;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    static const char* const words[]
        = { "archive ", "member ", "window ", "the ", "of ", "\r\n", "0000", "ZIP" };
    while (data.size() < size) {
        const std::uint32_t r = next();
        if (r % 5 == 0 && data.size() > 10) {
            const std::size_t distance = 1 + next() % std::min<std::size_t>(data.size(), 40000);
            const std::size_t length = 3 + next() % 300;
            for (std::size_t i = 0; i < length && data.size() < size; ++i)
                data.push_back(data[data.size() - distance]);
        } else if (r % 5 == 1) {
            data.push_back(std::uint8_t(next()));
        } else {
            for (const char* c = words[r % 8]; *c && data.size() < size; ++c)
                data.push_back(std::uint8_t(*c));
        }
    }
    return data;
}

} // namespace ov::test
