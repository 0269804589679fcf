// The WAV reader against wave files built here byte by byte: the header
// fields each form declares, the cut and padded layouts, the refusals, and
// the 16-bit conversion rules applied to the samples as written.
#include "platform/wav_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace ov;

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putId(Bytes& b, const char* id)
{
    b.insert(b.end(), id, id + 4);
}

Bytes chunk(const char* id, const Bytes& body, bool pad = true)
{
    Bytes b;
    putId(b, id);
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        b.push_back(0);
    return b;
}

Bytes format(unsigned tag, unsigned channels, uint32_t rate, unsigned bits, bool extensible = false,
    unsigned subTag = 1, bool goodGuid = true)
{
    Bytes b;
    put16(b, extensible ? 0xFFFE : tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, channels * bits / 8);
    put16(b, bits);
    if (extensible) {
        put16(b, 22);
        put16(b, bits); // valid bits
        put32(b, channels == 2 ? 3 : 4); // speaker mask
        put16(b, subTag);
        const uint8_t tail[14]
            = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };
        b.insert(b.end(), tail, tail + 14);
        if (!goodGuid)
            b.back() ^= 1;
    }
    return b;
}

Bytes wave(const std::vector<Bytes>& chunks)
{
    Bytes body;
    putId(body, "WAVE");
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, "RIFF");
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes floats(const std::vector<float>& values)
{
    Bytes b;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        put32(b, bits);
    }
    return b;
}

std::vector<int16_t> decode(const Bytes& file, WavInfo& info)
{
    std::string error;
    EXPECT_EQ(readWavHeader(file.data(), file.size(), info, error), WavStatus::Ok) << error;
    std::vector<int16_t> out(info.frames() * static_cast<uint64_t>(info.channels));
    convertWavFrames(info, file.data() + info.dataOffset, info.frames(), out.data());
    return out;
}

} // namespace

TEST(WavReader, EachEncodingConvertsByItsRule)
{
    struct Case {
        const char* name;
        Bytes file;
        int channels, rate, bits;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        { "8-bit mono 11025 Hz, unsigned",
            wave({ chunk("fmt ", format(1, 1, 11025, 8)), chunk("data", { 0, 128, 255, 1 }) }), 1, 11025, 8,
            { -32768, 0, 32512, -32512 } },
        { "16-bit stereo as written",
            wave({ chunk("fmt ", format(1, 2, 44100, 16)),
                chunk("data", { 0x34, 0x12, 0xCC, 0xED, 0xFF, 0x7F, 0x00, 0x80 }) }),
            2, 44100, 16, { 0x1234, -0x1234, 32767, -32768 } },
        { "24-bit keeps the top 16 bits",
            wave({ chunk("fmt ", format(1, 1, 48000, 24)),
                chunk("data", { 0xFF, 0x34, 0x12, 0x01, 0x00, 0x80 }) }),
            1, 48000, 24, { 0x1234, -32768 } },
        { "32-bit integer keeps the top 16 bits",
            wave({ chunk("fmt ", format(1, 1, 8000, 32)),
                chunk("data", { 0xFF, 0xFF, 0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF }) }),
            1, 8000, 32, { 0x1234, -1 } },
        { "float: x times 32768 rounded, limited",
            wave({ chunk("fmt ", format(3, 1, 22050, 32)),
                chunk("data", floats({ 0.5f, -1.0f, 1.0f, 2.0f, 0.00002f, -0.00002f })) }),
            1, 22050, 32, { 16384, -32768, 32767, 32767, 1, -1 } },
        { "extensible 16-bit PCM",
            wave({ chunk("fmt ", format(0, 2, 44100, 16, true, 1)), chunk("data", { 1, 0, 2, 0 }) }), 2,
            44100, 16, { 1, 2 } },
        { "extensible float",
            wave({ chunk("fmt ", format(0, 1, 44100, 32, true, 3)), chunk("data", floats({ -0.25f })) }), 1,
            44100, 32, { -8192 } },
        { "odd chunk before the data keeps its pad byte",
            wave({ chunk("fmt ", format(1, 1, 8000, 16)), chunk("LIST", { 'a', 'b', 'c' }),
                chunk("data", { 5, 0, 6, 0 }) }),
            1, 8000, 16, { 5, 6 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavInfo info;
        const std::vector<int16_t> samples = decode(c.file, info);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.rate, c.rate);
        EXPECT_EQ(info.bitsPerSample, c.bits);
        EXPECT_EQ(samples, c.expected);
    }
}

TEST(WavReader, CutDataChunkPlaysTheWholeFramesThatAreThere)
{
    // Declares 8 stereo frames, holds 2 and a half.
    Bytes file = wave({ chunk("fmt ", format(1, 2, 44100, 16)) });
    putId(file, "data");
    put32(file, 32);
    for (uint8_t b : { 1, 0, 2, 0, 3, 0, 4, 0, 5, 0 })
        file.push_back(b);
    WavInfo info;
    EXPECT_EQ(decode(file, info), (std::vector<int16_t> { 1, 2, 3, 4 }));
    EXPECT_EQ(info.frames(), 2u);
}

TEST(WavReader, RefusesWhatItCannotPlay)
{
    struct Case {
        const char* name;
        Bytes file;
        WavStatus status;
    };
    const Case cases[] = {
        { "not RIFF", Bytes { 'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E' }, WavStatus::NotWave },
        { "too short", Bytes { 'R', 'I', 'F', 'F' }, WavStatus::NotWave },
        { "IMA ADPCM", wave({ chunk("fmt ", format(0x11, 1, 8000, 4)), chunk("data", { 0, 0 }) }),
            WavStatus::UnknownEncoding },
        { "A-law", wave({ chunk("fmt ", format(6, 1, 8000, 8)), chunk("data", { 0 }) }),
            WavStatus::UnknownEncoding },
        { "12-bit PCM", wave({ chunk("fmt ", format(1, 1, 8000, 12)), chunk("data", { 0, 0 }) }),
            WavStatus::UnknownEncoding },
        { "extensible with a foreign GUID",
            wave({ chunk("fmt ", format(0, 1, 8000, 16, true, 1, false)), chunk("data", { 0, 0 }) }),
            WavStatus::UnknownEncoding },
        { "nine channels", wave({ chunk("fmt ", format(1, 9, 8000, 16)), chunk("data", { 0, 0 }) }),
            WavStatus::UnknownEncoding },
        { "rate 0", wave({ chunk("fmt ", format(1, 1, 0, 16)), chunk("data", { 0, 0 }) }),
            WavStatus::UnknownEncoding },
        { "data before format", wave({ chunk("data", { 0, 0 }), chunk("fmt ", format(1, 1, 8000, 16)) }),
            WavStatus::Damaged },
        { "no data", wave({ chunk("fmt ", format(1, 1, 8000, 16)) }), WavStatus::Damaged },
        { "format chunk too short", wave({ chunk("fmt ", { 1, 0, 1, 0 }), chunk("data", { 0, 0 }) }),
            WavStatus::Damaged },
        { "format chunk larger than the file",
            [] {
                Bytes f = wave({});
                putId(f, "fmt ");
                put32(f, 0xFFFFFFF0u);
                return f;
            }(),
            WavStatus::Damaged },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WavInfo info;
        std::string error;
        EXPECT_EQ(readWavHeader(c.file.data(), c.file.size(), info, error), c.status);
        EXPECT_FALSE(error.empty());
    }
}
