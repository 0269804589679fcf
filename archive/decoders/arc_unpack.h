// ARC method 3 ("packed"): the member's bytes run-length coded with the
// marker 0x90 (see ArcOutput), nothing else.
#pragma once

#include "archive/decoders/arc_output.h"

namespace ov {

struct ArcUnpackState {
    ArcOutput output;
    Status failure = Status::needInput();

    void reset(std::uint64_t unpackedSize);
};

// Done at the end of the packed data when exactly unpackedSize bytes came
// out; more is Corrupt(BadBlock), fewer Corrupt(UnexpectedEnd).
Status arcUnpackDecode(DecodeStream& stream, ArcUnpackState& state);

} // namespace ov
