// Stored members (ZIP method 0, ARJ method 0, LHA -lh0-, ARC 1/2): the
// packed bytes are the member's bytes, copied up to the unpacked size.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>

namespace ov {

struct StoredState {
    std::uint64_t remaining = 0;

    void reset(std::uint64_t unpackedSize) { remaining = unpackedSize; }
};

// Done once unpackedSize bytes are copied; input beyond them is left
// unconsumed. Input that ends early is Corrupt(UnexpectedEnd).
Status storedDecode(DecodeStream& stream, StoredState& state);

} // namespace ov
