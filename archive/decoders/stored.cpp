#include "archive/decoders/stored.h"

#include <algorithm>
#include <cstring>

namespace ov {

Status storedDecode(DecodeStream& stream, StoredState& state)
{
    const std::size_t count = static_cast<std::size_t>(
        std::min<std::uint64_t>(state.remaining, std::min(stream.input.size(), stream.output.size())));
    if (count)
        std::memcpy(stream.output.data(), stream.input.data(), count);
    stream.consume(count);
    stream.produce(count);
    state.remaining -= count;
    if (state.remaining == 0)
        return Status::done();
    if (!stream.input.empty())
        return Status::outputFull();
    if (stream.inputEnd)
        return Status::corrupt(msgErrorReading);
    return Status::needInput();
}

} // namespace ov
