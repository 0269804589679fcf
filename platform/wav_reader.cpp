// The WAV reader; see wav_reader.h. The layout is Microsoft's RIFF WAVE as
// published with the 1991 multimedia programming interface, with the
// WAVEFORMATEXTENSIBLE note for tag 0xFFFE.
#include "platform/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ov {

namespace {

constexpr uint16_t TagPcm = 1;
constexpr uint16_t TagFloat = 3;
constexpr uint16_t TagExtensible = 0xFFFE;
constexpr int MaxChannels = 8;
constexpr int MaxRate = 768000;

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8)
        | (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The tail shared by the PCM and float sub-format GUIDs of the extensible
// form: {xxxxxxxx-0000-0010-8000-00AA00389B71}, the tag in the first bytes.
constexpr uint8_t GuidTail[14]
    = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };

WavStatus fail(WavStatus status, std::string& error, const char* text)
{
    error = text;
    return status;
}

WavStatus readFormat(const uint8_t* fmt, uint32_t size, WavInfo& info, std::string& error)
{
    if (size < 16)
        return fail(WavStatus::Damaged, error, "format chunk too short");
    uint16_t tag = le16(fmt);
    const int channels = le16(fmt + 2);
    const uint32_t rate = le32(fmt + 4);
    const int blockAlign = le16(fmt + 12);
    const int bits = le16(fmt + 14);
    if (tag == TagExtensible) {
        if (size < 40 || le16(fmt + 16) < 22)
            return fail(WavStatus::Damaged, error, "extensible format chunk too short");
        if (std::memcmp(fmt + 26, GuidTail, sizeof GuidTail) != 0)
            return fail(WavStatus::UnknownEncoding, error, "unknown sub-format");
        tag = le16(fmt + 24);
    }
    if (channels < 1 || channels > MaxChannels)
        return fail(WavStatus::UnknownEncoding, error, "unsupported channel count");
    if (rate < 1 || rate > MaxRate)
        return fail(WavStatus::UnknownEncoding, error, "unsupported sample rate");
    if (tag == TagPcm) {
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return fail(WavStatus::UnknownEncoding, error, "unsupported sample size");
        info.encoding = WavEncoding::Integer;
    } else if (tag == TagFloat) {
        if (bits != 32 && bits != 64)
            return fail(WavStatus::UnknownEncoding, error, "unsupported float size");
        info.encoding = WavEncoding::Float;
    } else {
        return fail(WavStatus::UnknownEncoding, error, "unknown encoding");
    }
    if (blockAlign != channels * bits / 8)
        return fail(WavStatus::Damaged, error, "frame size does not match the format");
    info.channels = channels;
    info.rate = static_cast<int>(rate);
    info.bitsPerSample = bits;
    info.blockAlign = blockAlign;
    return WavStatus::Ok;
}

} // namespace

WavStatus readWavHeader(const WavRead& read, uint64_t size, WavInfo& info, std::string& error)
{
    info = WavInfo {};
    uint8_t head[12];
    if (size < sizeof head || read(0, head, sizeof head) != sizeof head || std::memcmp(head, "RIFF", 4) != 0
        || std::memcmp(head + 8, "WAVE", 4) != 0)
        return fail(WavStatus::NotWave, error, "not a RIFF WAVE file");
    // The RIFF size is not trusted: files cut short or grown by careless
    // writers are common. The walk stops at the real end.
    bool haveFormat = false;
    uint64_t at = sizeof head;
    while (at + 8 <= size) {
        uint8_t chunk[8];
        if (read(at, chunk, sizeof chunk) != sizeof chunk)
            break;
        const uint32_t length = le32(chunk + 4);
        const uint64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length > 4096 || body + length > size)
                return fail(WavStatus::Damaged, error, "format chunk size out of range");
            uint8_t fmt[4096];
            if (read(body, fmt, length) != length)
                return fail(WavStatus::Damaged, error, "format chunk cut short");
            const WavStatus status = readFormat(fmt, length, info, error);
            if (status != WavStatus::Ok)
                return status;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return fail(WavStatus::Damaged, error, "data before format");
            const uint64_t available = size - body;
            const uint64_t bytes = std::min<uint64_t>(length, available);
            info.dataOffset = body;
            info.dataBytes = bytes - bytes % static_cast<uint64_t>(info.blockAlign);
            return WavStatus::Ok;
        }
        at = body + length + (length & 1);
    }
    return fail(WavStatus::Damaged, error, haveFormat ? "no data chunk" : "no format chunk");
}

WavStatus readWavHeader(const uint8_t* data, std::size_t size, WavInfo& info, std::string& error)
{
    const WavRead read = [data, size](uint64_t offset, void* buffer, std::size_t length) -> std::size_t {
        if (offset >= size)
            return 0;
        const std::size_t count = std::min<uint64_t>(length, size - offset);
        std::memcpy(buffer, data + offset, count);
        return count;
    };
    return readWavHeader(read, size, info, error);
}

namespace {

int16_t fromFloat(double x)
{
    // NaN counts as silence.
    if (!(x == x))
        return 0;
    const double scaled = std::nearbyint(x * 32768.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

} // namespace

void convertWavFrames(const WavInfo& info, const uint8_t* data, std::size_t frames, int16_t* out)
{
    const std::size_t count = frames * static_cast<std::size_t>(info.channels);
    const uint8_t* p = data;
    for (std::size_t i = 0; i < count; ++i) {
        if (info.encoding == WavEncoding::Float) {
            if (info.bitsPerSample == 32) {
                const uint32_t bits = le32(p);
                float value;
                std::memcpy(&value, &bits, sizeof value);
                out[i] = fromFloat(value);
                p += 4;
            } else {
                const uint64_t bits = le32(p) | (static_cast<uint64_t>(le32(p + 4)) << 32);
                double value;
                std::memcpy(&value, &bits, sizeof value);
                out[i] = fromFloat(value);
                p += 8;
            }
            continue;
        }
        switch (info.bitsPerSample) {
        case 8:
            out[i] = static_cast<int16_t>((p[0] - 128) * 256);
            p += 1;
            break;
        case 16:
            out[i] = static_cast<int16_t>(le16(p));
            p += 2;
            break;
        case 24:
            out[i] = static_cast<int16_t>(le16(p + 1));
            p += 3;
            break;
        default:
            out[i] = static_cast<int16_t>(le16(p + 2));
            p += 4;
            break;
        }
    }
}

} // namespace ov
