// AviVideo: a small reader of RIFF AVI files holding one video stream of
// uncompressed (1, 4, 8, 16, 24 or 32 bits per pixel), RLE8 or RLE4 frames,
// the kinds a resource of a Windows program carries for its animations.
//
// Layout after Microsoft's "AVI RIFF File Reference": RIFF "AVI " holds LIST
// "hdrl" (the main header "avih" and one LIST "strl" per stream with its
// header "strh" and its format "strf", a BITMAPINFOHEADER with the palette)
// and LIST "movi" with one chunk "nndb" or "nndc" per frame (nn the stream's
// number), possibly grouped in LIST "rec ". The reader keeps its own copy of
// the bytes, checks every size and offset, and decodes frames on request.
// RLE frames draw over the frame before them, so frames are decoded in order
// from the first; a damaged frame draws what it can.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ov {

class AviVideo {
public:
    // Largest picture accepted, in pixels (an animation of a program's
    // resources is far smaller).
    static constexpr int64_t kMaxPixels = 2048 * 2048;

    // Reads the headers and finds the frames. std::nullopt, with the reason
    // in `why`, when the file is not such a video.
    static std::optional<AviVideo> open(std::span<const uint8_t> bytes, std::string* why = nullptr);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    // Time per frame from the main header (0 when it gives none).
    uint32_t MicroSecPerFrame() const { return m_microSecPerFrame; }
    int BitCount() const { return m_bitCount; }
    uint32_t Compression() const { return m_compression; }

    // The pixels of frame `index` (0-based, clamped to the frames), top row
    // first, as 0xFFRRGGBB.
    const std::vector<uint32_t>& Frame(int index);

private:
    enum class Coding { Rgb, Rle8, Rle4 };

    void decodeNext();
    void decodeRgb(std::span<const uint8_t> data);
    void decodeRle(std::span<const uint8_t> data);
    void indicesToPixels();

    std::vector<uint8_t> m_bytes;
    std::vector<std::pair<uint64_t, uint32_t>> m_frames; // offset and size in m_bytes
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
    int m_bitCount = 0;
    uint32_t m_compression = 0;
    Coding m_coding = Coding::Rgb;
    uint32_t m_microSecPerFrame = 0;
    std::vector<uint32_t> m_palette; // 0xFFRRGGBB

    int m_decoded = -1; // index of the frame in m_pixels
    std::vector<uint8_t> m_indices; // palette indices of paletted frames
    std::vector<uint32_t> m_pixels;
};

} // namespace ov
