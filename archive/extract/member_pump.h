// The per-member loop of the extractors that run our own decoders (ZIP,
// ARJ, LHA, ARC): read the member's packed bytes in blocks, hand them to the
// method's decoder, run the data CRC over what comes out, write it to the
// output file and raise OnProgress every step of the packed bytes.
//
// The decoders bound the output by the stored unpacked size and the input by
// the stored packed size, so nothing here trusts either beyond a read.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ov {

class FileLayer;
class OutputFile;
class TExtractorBase;

enum class CrcKind { Crc32, Crc16 };

class MemberPump {
public:
    using Decode = std::function<Status(DecodeStream&)>;
    // Runs over each block of packed bytes as it is read (ZIP decryption).
    using Transform = std::function<void(uint8_t* bytes, std::size_t length)>;

    // `blockSize`: the largest read (32768; ARC reads 512-byte blocks).
    MemberPump(TExtractorBase& owner, std::size_t blockSize);

    void setInputTransform(Transform transform) { m_transform = std::move(transform); }

    // Binds a decoder state to its decode function. The state is made here
    // (decoder buffers live for one member) and reset by `reset`.
    template <typename State, typename Reset>
    static Decode bind(Status (*decode)(DecodeStream&, State&), Reset reset)
    {
        auto state = std::make_shared<State>();
        reset(*state);
        return [state, decode](DecodeStream& stream) { return decode(stream, *state); };
    }

    // Decodes `packedSize` bytes at `dataAt` into `out` and updates `crc`
    // (CRC-32 register preset to all ones, or CRC-16 preset to 0). Returns 0
    // when the decoder is done, else the message code: the decoder's own,
    // 25136 for a failed write, 25236 when the run is cancelled.
    int run(FileLayer& file, int64_t dataAt, int64_t packedSize, const Decode& decode, OutputFile& out,
        CrcKind kind, uint32_t& crc);

private:
    TExtractorBase& m_owner;
    std::size_t m_blockSize;
    Transform m_transform;
};

} // namespace ov
