// The WAV reader: the RIFF "WAVE" header of a wave file and the conversion
// of its samples to 16-bit signed PCM, the one form every audio sink takes.
//
// Read: integer PCM of 8 (unsigned), 16, 24 and 32 bits, IEEE float of 32
// and 64 bits, each plain (format tags 1 and 3) or in the extensible form
// (tag 0xFFFE with the sub-format's GUID); 1 to 8 channels. Chunks are
// walked in order with their pad byte after an odd size; "fmt " must come
// before "data". A data chunk cut short by the end of the file plays what
// is there, in whole frames. Anything else (ADPCM, A-law, µ-law, MPEG in a
// WAV) is an unknown encoding. Every size read from the file is checked
// against the file's size before it is used.
//
// Conversion to 16 bits (the rules the tests restate):
// - 8-bit samples are unsigned: (b - 128) × 256;
// - 16-bit samples as they are; 24- and 32-bit samples keep their top
//   16 bits (an arithmetic shift, no rounding);
// - float samples: x × 32768 rounded to nearest, limited to -32768..32767.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace ov {

enum class WavEncoding { Integer, Float };

struct WavInfo {
    int channels = 0;
    int rate = 0;
    int bitsPerSample = 0; // the container size: 8, 16, 24, 32 or 64
    int blockAlign = 0; // bytes per frame
    WavEncoding encoding = WavEncoding::Integer;
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0; // whole frames only
    uint64_t frames() const { return blockAlign ? dataBytes / static_cast<uint64_t>(blockAlign) : 0; }
};

enum class WavStatus {
    Ok,
    NotWave, // no RIFF/WAVE signature
    Damaged, // no "fmt " before "data", a chunk smaller than it must be, no data
    UnknownEncoding, // a format this reader does not convert
};

// Reads up to `length` bytes at `offset` into the buffer; returns how many
// it read (fewer only at the end of the input).
using WavRead = std::function<std::size_t(uint64_t offset, void* buffer, std::size_t length)>;

// Reads the header of an input of `size` bytes. On anything but Ok, `error`
// says what is wrong in a few words.
WavStatus readWavHeader(const WavRead& read, uint64_t size, WavInfo& info, std::string& error);
// The same over bytes in memory.
WavStatus readWavHeader(const uint8_t* data, std::size_t size, WavInfo& info, std::string& error);

// Converts `frames` whole frames of the data to 16-bit samples (`frames` ×
// channels values written to `out`).
void convertWavFrames(const WavInfo& info, const uint8_t* data, std::size_t frames, int16_t* out);

} // namespace ov
