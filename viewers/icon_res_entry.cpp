#include "viewers/icon_res_entry.h"

#include "viewers/exe_image.h"
#include "viewers/le_bytes.h"
#include "viewers/resource_type.h"

#include <sstream>

namespace ov {

namespace {

struct ImageShape {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t colours = 0; // palette entries, 0 for 256 or more
    uint16_t planes = 1;
    uint16_t bitCount = 0;
};

uint32_t bigEndian32(const LeBytes& bytes, uint64_t at)
{
    const auto value = bytes.u32(at).value_or(0);
    return (value >> 24) | (value >> 8 & 0xFF00) | (value << 8 & 0xFF0000) | (value << 24);
}

// The size and depth of one icon or cursor image, read from its own header:
// a PNG's IHDR chunk, or a DIB header whose height counts the XOR and the
// AND mask together.
ImageShape shapeOf(std::span<const uint8_t> image)
{
    const LeBytes bytes(image);
    ImageShape shape;
    static const uint8_t png[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (image.size() >= 24 && std::equal(png, png + 8, image.begin())) {
        shape.width = bigEndian32(bytes, 16);
        shape.height = bigEndian32(bytes, 20);
        shape.bitCount = 32;
        return shape;
    }
    const uint32_t headerSize = bytes.u32(0).value_or(0);
    if (headerSize == 12) {
        shape.width = bytes.u16(4).value_or(0);
        shape.height = bytes.u16(6).value_or(0) / 2u;
        shape.planes = bytes.u16(8).value_or(1);
        shape.bitCount = bytes.u16(10).value_or(0);
    } else {
        const auto width = static_cast<int32_t>(bytes.u32(4).value_or(0));
        const auto height = static_cast<int32_t>(bytes.u32(8).value_or(0));
        shape.width = width < 0 ? 0u - static_cast<uint32_t>(width) : static_cast<uint32_t>(width);
        shape.height = (height < 0 ? 0u - static_cast<uint32_t>(height) : static_cast<uint32_t>(height)) / 2;
        shape.planes = bytes.u16(12).value_or(1);
        shape.bitCount = bytes.u16(14).value_or(0);
        shape.colours = bytes.u32(32).value_or(0);
    }
    if (shape.colours == 0 && shape.bitCount < 8)
        shape.colours = 1u << shape.bitCount;
    if (shape.colours >= 256)
        shape.colours = 0;
    return shape;
}

void put(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

} // namespace

std::string TIconResEntry::Name()
{
    if (!m_groupEntry)
        return TResourceItem::Name();
    const LeBytes& view = Image().View();
    return std::to_string(*view.u8(*m_groupEntry)) + " X " + std::to_string(*view.u8(*m_groupEntry + 1)) + " "
        + std::to_string(*view.u8(*m_groupEntry + 2)) + " Colors";
}

// The icon file form (ICONDIR, one ICONDIRENTRY, the image): the entry's
// size fields come from the image itself, so the file always describes the
// bytes it holds. A cursor's entry carries the hotspot where an icon has its
// planes and bit count.
void TIconResEntry::SaveToStream(std::ostream& stream)
{
    auto data = completeRawData();
    const bool cursor = ResType() == rtCursorEntry;
    uint16_t hotspotX = 0;
    uint16_t hotspotY = 0;
    if (cursor) {
        const LeBytes bytes(data);
        hotspotX = bytes.u16(0).value_or(0);
        hotspotY = bytes.u16(2).value_or(0);
        data = data.size() >= 4 ? data.subspan(4) : std::span<const uint8_t>();
    }
    const ImageShape shape = shapeOf(data);
    std::string head;
    put(head, 0, 2);
    put(head, cursor ? 2 : 1, 2);
    put(head, 1, 2);
    put(head, shape.width >= 256 ? 0 : shape.width, 1);
    put(head, shape.height >= 256 ? 0 : shape.height, 1);
    put(head, shape.colours, 1);
    put(head, 0, 1);
    put(head, cursor ? hotspotX : shape.planes, 2);
    put(head, cursor ? hotspotY : shape.bitCount, 2);
    put(head, static_cast<uint32_t>(data.size()), 4);
    put(head, 22, 4);
    stream.write(head.data(), static_cast<std::streamsize>(head.size()));
    stream.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void TIconResEntry::AssignTo(ResourcePicture& picture)
{
    std::ostringstream memory;
    SaveToStream(memory);
    const std::string bytes = std::move(memory).str();
    picture.bytes.assign(bytes.begin(), bytes.end());
    picture.format = ResType() == rtCursorEntry ? "CUR" : "ICO";
}

} // namespace ov
