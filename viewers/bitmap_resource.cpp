#include "viewers/bitmap_resource.h"

#include "viewers/le_bytes.h"

#include <limits>

namespace ov {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBitFields = 3;

uint64_t impliedColours(uint16_t bitCount)
{
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

void putU16(std::ostream& stream, uint16_t value)
{
    const char bytes[2] = { static_cast<char>(value), static_cast<char>(value >> 8) };
    stream.write(bytes, 2);
}

void putU32(std::ostream& stream, uint32_t value)
{
    putU16(stream, static_cast<uint16_t>(value));
    putU16(stream, static_cast<uint16_t>(value >> 16));
}

} // namespace

uint32_t TBitMapResource::pixelOffset(std::span<const uint8_t> dib)
{
    const LeBytes header(dib);
    const uint32_t headerSize = header.u32(0).value_or(0);
    uint64_t offset;
    if (headerSize < 16) {
        // BITMAPCOREHEADER: bit count at 10, RGBTRIPLE colour table.
        offset = kFileHeaderSize + kCoreHeaderSize + impliedColours(header.u16(10).value_or(0)) * 3;
    } else {
        // BITMAPINFOHEADER and its longer successors (V4, V5, OS/2 2.x):
        // colours used at 32 when the header has it, else implied by the
        // bit count at 14; RGBQUAD entries.
        uint64_t colours = headerSize >= 36 ? header.u32(32).value_or(0) : 0;
        if (colours == 0)
            colours = impliedColours(header.u16(14).value_or(0));
        offset = uint64_t(kFileHeaderSize) + headerSize + colours * 4;
        if (headerSize == kInfoHeaderSize && header.u32(16) == kBitFields)
            offset += 12;
    }
    // A header that claims more than a file can hold still gives a header,
    // one that points past the end of the file.
    return offset > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                         : static_cast<uint32_t>(offset);
}

void TBitMapResource::SaveToStream(std::ostream& stream)
{
    const auto dib = completeRawData();
    const uint64_t fileSize = uint64_t(dib.size()) + kFileHeaderSize;
    stream.write("BM", 2);
    putU32(stream,
        fileSize > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(fileSize));
    putU16(stream, 0);
    putU16(stream, 0);
    putU32(stream, pixelOffset(dib));
    stream.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
}

} // namespace ov
