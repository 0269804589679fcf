#include "archive/decoders/arc_unpack.h"

#include <algorithm>

namespace ov {

void ArcUnpackState::reset(std::uint64_t unpackedSize)
{
    output.reset(unpackedSize, ArcRunLength::On);
    failure = Status::needInput();
}

Status arcUnpackDecode(DecodeStream& stream, ArcUnpackState& state)
{
    return driveArc(stream, state.output, state.failure, [&state](DecodeStream& s, int&) {
        if (s.input.empty())
            return s.inputEnd ? ArcStep::Finished : ArcStep::NeedInput;
        const std::size_t count = std::min<std::size_t>(s.input.size(), 8192);
        state.output.staged().assign(s.input.begin(), s.input.begin() + count);
        s.consume(count);
        return ArcStep::Staged;
    });
}

} // namespace ov
