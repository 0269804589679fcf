#include "viewers/avi_video.h"

#include "viewers/le_bytes.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr int kMaxListDepth = 4;

constexpr uint32_t fourcc(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16
        | uint32_t(uint8_t(text[3])) << 24;
}

struct Chunk {
    uint32_t id;
    uint64_t data; // offset of the data
    uint32_t size; // data size, cut to what lies inside the parent
    uint32_t listType; // for "LIST" and "RIFF": the list's type
};

// The chunks between `begin` and `end`, each padded to an even size; a chunk
// that claims more than is left is cut to what is there.
std::vector<Chunk> chunks(const LeBytes& view, uint64_t begin, uint64_t end)
{
    std::vector<Chunk> out;
    uint64_t at = begin;
    while (at + 8 <= end) {
        Chunk chunk { *view.u32(at), at + 8, *view.u32(at + 4), 0 };
        chunk.size = static_cast<uint32_t>(std::min<uint64_t>(chunk.size, end - chunk.data));
        if (chunk.id == fourcc("LIST") && chunk.size >= 4)
            chunk.listType = *view.u32(chunk.data);
        out.push_back(chunk);
        at = chunk.data + chunk.size + (chunk.size & 1);
    }
    return out;
}

void fail(std::string* why, const char* reason)
{
    if (why)
        *why = reason;
}

} // namespace

std::optional<AviVideo> AviVideo::open(std::span<const uint8_t> bytes, std::string* why)
{
    const LeBytes source(bytes);
    if (source.u32(0) != fourcc("RIFF") || source.u32(8) != fourcc("AVI ")) {
        fail(why, "not a RIFF AVI file");
        return std::nullopt;
    }
    AviVideo video;
    video.m_bytes.assign(bytes.begin(), bytes.end());
    const LeBytes view(video.m_bytes);
    const uint64_t riffEnd = std::min<uint64_t>(view.size(), 8 + uint64_t(*view.u32(4)));

    int videoStream = -1;
    std::optional<Chunk> format;
    std::optional<Chunk> movi;
    for (const Chunk& top : chunks(view, 12, riffEnd)) {
        if (top.id == fourcc("LIST") && top.listType == fourcc("hdrl")) {
            int stream = 0;
            for (const Chunk& header : chunks(view, top.data + 4, top.data + top.size)) {
                if (header.id == fourcc("avih") && header.size >= 40) {
                    video.m_microSecPerFrame = *view.u32(header.data);
                } else if (header.id == fourcc("LIST") && header.listType == fourcc("strl")) {
                    bool isVideo = false;
                    std::optional<Chunk> streamFormat;
                    for (const Chunk& part : chunks(view, header.data + 4, header.data + header.size)) {
                        if (part.id == fourcc("strh") && part.size >= 8)
                            isVideo = *view.u32(part.data) == fourcc("vids");
                        else if (part.id == fourcc("strf"))
                            streamFormat = part;
                    }
                    if (isVideo && videoStream < 0 && streamFormat) {
                        videoStream = stream;
                        format = streamFormat;
                    }
                    ++stream;
                }
            }
        } else if (top.id == fourcc("LIST") && top.listType == fourcc("movi") && !movi) {
            movi = top;
        }
    }
    if (!format || format->size < 40) {
        fail(why, "no video stream");
        return std::nullopt;
    }

    // The stream's format: a BITMAPINFOHEADER and its colour table.
    const uint64_t f = format->data;
    const uint32_t headerSize = *view.u32(f);
    const auto width = static_cast<int32_t>(*view.u32(f + 4));
    const auto height = static_cast<int32_t>(*view.u32(f + 8));
    video.m_bitCount = *view.u16(f + 14);
    video.m_compression = *view.u32(f + 16);
    const uint32_t colorsUsed = *view.u32(f + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN
        || int64_t(width) * std::abs(int64_t(height)) > kMaxPixels) {
        fail(why, "bad picture size");
        return std::nullopt;
    }
    video.m_width = width;
    video.m_height = height < 0 ? -height : height;
    video.m_topDown = height < 0;

    const uint32_t c = video.m_compression;
    const int bits = video.m_bitCount;
    if ((c == kBiRgb || c == fourcc("DIB "))
        && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
        video.m_coding = Coding::Rgb;
    } else if ((c == kBiRle8 || c == fourcc("RLE8") || c == fourcc("mrle") || c == fourcc("RLE "))
        && bits == 8) {
        video.m_coding = Coding::Rle8;
    } else if ((c == kBiRle4 || c == fourcc("RLE4")) && bits == 4) {
        video.m_coding = Coding::Rle4;
    } else {
        fail(why, "unsupported frame coding");
        return std::nullopt;
    }
    if (video.m_coding != Coding::Rgb && video.m_topDown) {
        fail(why, "top-down RLE frames");
        return std::nullopt;
    }
    if (bits <= 8) {
        const uint32_t entries = colorsUsed && colorsUsed < (1u << bits) ? colorsUsed : (1u << bits);
        video.m_palette.assign(1u << bits, 0xFF000000u);
        const uint64_t table = f + std::min<uint64_t>(headerSize, format->size);
        for (uint32_t i = 0; i < entries; ++i) {
            const uint64_t at = table + 4 * uint64_t(i);
            if (at + 4 > f + format->size)
                break;
            video.m_palette[i] = 0xFF000000u | (*view.u32(at) & 0x00FFFFFFu);
        }
    }

    // The frames: chunks named after the stream, in order, also inside "rec ".
    if (!movi) {
        fail(why, "no frames");
        return std::nullopt;
    }
    const char digits[2]
        = { static_cast<char>('0' + videoStream / 10 % 10), static_cast<char>('0' + videoStream % 10) };
    const uint16_t number = uint16_t(uint8_t(digits[0]) | uint8_t(digits[1]) << 8);
    // Depth-first, keeping order: "rec " lists are expanded where they stand.
    std::vector<std::pair<std::vector<Chunk>, std::size_t>> walk;
    walk.emplace_back(chunks(view, movi->data + 4, movi->data + movi->size), 0);
    while (!walk.empty()) {
        auto& [items, next] = walk.back();
        if (next == items.size()) {
            walk.pop_back();
            continue;
        }
        const Chunk chunk = items[next];
        ++next;
        if (chunk.id == fourcc("LIST")) {
            if (chunk.listType == fourcc("rec ") && walk.size() < kMaxListDepth)
                walk.emplace_back(chunks(view, chunk.data + 4, chunk.data + chunk.size), 0);
            continue;
        }
        const auto low = static_cast<uint16_t>(chunk.id);
        const auto high = static_cast<uint16_t>(chunk.id >> 16);
        if (low == number && (high == uint16_t('d' | 'b' << 8) || high == uint16_t('d' | 'c' << 8)))
            video.m_frames.emplace_back(chunk.data, chunk.size);
    }
    if (video.m_frames.empty()) {
        fail(why, "no frames");
        return std::nullopt;
    }
    return video;
}

const std::vector<uint32_t>& AviVideo::Frame(int index)
{
    index = std::clamp(index, 0, FrameCount() - 1);
    if (m_pixels.empty()) {
        // The picture's memory is taken when a frame is first asked for.
        const std::size_t pixels = std::size_t(m_width) * std::size_t(m_height);
        m_pixels.assign(pixels, 0xFF000000u);
        if (m_bitCount <= 8)
            m_indices.assign(pixels, 0);
    }
    if (index < m_decoded) {
        // Earlier frames are drawn again from the first.
        std::fill(m_pixels.begin(), m_pixels.end(), 0xFF000000u);
        std::fill(m_indices.begin(), m_indices.end(), uint8_t(0));
        m_decoded = -1;
    }
    while (m_decoded < index)
        decodeNext();
    return m_pixels;
}

void AviVideo::decodeNext()
{
    ++m_decoded;
    const auto [offset, size] = m_frames[static_cast<std::size_t>(m_decoded)];
    const std::span<const uint8_t> data(m_bytes.data() + offset, size);
    // An empty chunk repeats the frame before it.
    if (data.empty())
        return;
    if (m_coding == Coding::Rgb)
        decodeRgb(data);
    else
        decodeRle(data);
}

void AviVideo::decodeRgb(std::span<const uint8_t> data)
{
    const uint64_t stride = ((uint64_t(m_width) * uint64_t(m_bitCount) + 31) / 32) * 4;
    for (int row = 0; row < m_height; ++row) {
        const uint64_t start = uint64_t(row) * stride;
        if (start + stride > data.size())
            break;
        const uint8_t* line = data.data() + start;
        const int y = m_topDown ? row : m_height - 1 - row;
        uint32_t* out = m_pixels.data() + std::size_t(y) * std::size_t(m_width);
        for (int x = 0; x < m_width; ++x) {
            switch (m_bitCount) {
            case 1:
                out[x] = m_palette[(line[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                out[x] = m_palette[(line[x / 2] >> (x % 2 ? 0 : 4)) & 15];
                break;
            case 8:
                out[x] = m_palette[line[x]];
                break;
            case 16: {
                // 5-5-5 with the top bit unused; each part widened to 8 bits.
                const unsigned v = line[2 * x] | line[2 * x + 1] << 8;
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[x] = 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
                break;
            }
            case 24:
                out[x] = 0xFF000000u | uint32_t(line[3 * x + 2]) << 16 | uint32_t(line[3 * x + 1]) << 8
                    | line[3 * x];
                break;
            default:
                out[x] = 0xFF000000u | uint32_t(line[4 * x + 2]) << 16 | uint32_t(line[4 * x + 1]) << 8
                    | line[4 * x];
                break;
            }
        }
    }
}

// RLE8 and RLE4 as in the BITMAPINFOHEADER documentation: a count and a value
// draw a run; a zero count escapes to end of line (0), end of picture (1), a
// move (2, then dx and dy) or an absolute run of n values padded to 16 bits.
// Lines run from the bottom up. Drawing outside the picture is dropped.
void AviVideo::decodeRle(std::span<const uint8_t> data)
{
    const bool four = m_coding == Coding::Rle4;
    int64_t x = 0;
    int64_t y = 0;
    std::size_t at = 0;
    auto put = [&](uint8_t value) {
        if (x >= 0 && x < m_width && y >= 0 && y < m_height)
            m_indices[std::size_t(m_height - 1 - y) * std::size_t(m_width) + std::size_t(x)] = value;
        ++x;
    };
    while (at + 2 <= data.size()) {
        const uint8_t count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > data.size())
                break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (at + bytes > data.size())
                break;
            for (int i = 0; i < value; ++i)
                put(four ? (i % 2 ? data[at + i / 2] & 15 : data[at + i / 2] >> 4) : data[at + i]);
            at += bytes + (bytes & 1);
        }
        if (y >= m_height)
            break;
    }
    indicesToPixels();
}

void AviVideo::indicesToPixels()
{
    for (std::size_t i = 0; i < m_pixels.size(); ++i)
        m_pixels[i] = m_palette[m_indices[i]];
}

} // namespace ov
