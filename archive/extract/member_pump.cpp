#include "archive/extract/member_pump.h"

#include "archive/crc.h"
#include "archive/extract/output_file.h"
#include "archive/extractor_base.h"
#include "archive/messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ov {

namespace {
constexpr std::size_t OutputBlock = 32768;
}

MemberPump::MemberPump(TExtractorBase& owner, std::size_t blockSize)
    : m_owner(owner)
    , m_blockSize(blockSize)
{
}

int MemberPump::run(FileLayer& file, int64_t dataAt, int64_t packedSize, const Decode& decode,
    OutputFile& out, CrcKind kind, uint32_t& crc)
{
    // The input buffer takes reads of the block size until it is full (a
    // decoder call per 512-byte ARC block would cost more than decoding);
    // the output is written when its buffer is full or the member ends.
    std::vector<uint8_t> input(std::max(m_blockSize, OutputBlock));
    std::vector<uint8_t> output(OutputBlock);
    std::size_t held = 0; // unconsumed input at the front of `input`
    std::size_t filled = 0; // decoded bytes at the front of `output`
    int64_t remaining = std::max<int64_t>(packedSize, 0);
    // A step is at least one byte, so empty members never divide by zero.
    const int64_t stepBytes = std::max<int64_t>(1, m_owner.progressStep() * packedSize / 100);
    int64_t nextProgress = stepBytes;
    for (;;) {
        while (remaining > 0 && held < input.size()) {
            const std::size_t room = std::min(input.size() - held, m_blockSize);
            const std::size_t want = std::size_t(std::min<int64_t>(remaining, int64_t(room)));
            const std::size_t got = file.readAt(dataAt, input.data() + held, want);
            if (m_transform && got)
                m_transform(input.data() + held, got);
            dataAt += int64_t(got);
            remaining -= int64_t(got);
            held += got;
            if (got < want)
                remaining = 0; // the archive ends early: the decoder says where
            const int64_t done = packedSize - remaining;
            if (m_owner.OnProgress && done >= nextProgress) {
                m_owner.OnProgress(m_owner, m_owner.FileName, TExtractorBase::percent(done, packedSize));
                nextProgress = done / stepBytes * stepBytes + stepBytes;
                m_owner.processMessages();
            }
        }
        DecodeStream stream;
        stream.input = std::span<const uint8_t>(input.data(), held);
        stream.inputEnd = remaining == 0;
        stream.output = std::span<uint8_t>(output.data() + filled, output.size() - filled);
        const Status status = decode(stream);
        const std::size_t produced = output.size() - filled - stream.output.size();
        if (kind == CrcKind::Crc32)
            crc = crc32Update(crc, output.data() + filled, produced);
        else
            crc = crc16Update(uint16_t(crc), output.data() + filled, produced);
        filled += produced;
        if (status.isCorrupt())
            return status.code();
        if (filled == output.size() || status.isDone()) {
            if (filled && !out.write(output.data(), filled))
                return msgErrorWriting;
            filled = 0;
        }
        const std::size_t left = stream.input.size();
        std::memmove(input.data(), stream.input.data(), left);
        held = left;
        if (status.isDone())
            return 0;
        if (m_owner.Cancelled())
            return msgErrorReading;
    }
}

} // namespace ov
