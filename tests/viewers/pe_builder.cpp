#include "tests/viewers/pe_builder.h"

namespace ov::test {

namespace {

constexpr std::size_t kNtOffset = 0x40;
constexpr std::size_t kRawOffset = 0x200;

void store(std::vector<uint8_t>& bytes, std::size_t at, uint64_t value, int width)
{
    if (bytes.size() < at + static_cast<std::size_t>(width))
        bytes.resize(at + static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

void ResourceBlob::put16(std::size_t at, uint16_t value)
{
    store(bytes, at, value, 2);
}

void ResourceBlob::put32(std::size_t at, uint32_t value)
{
    store(bytes, at, value, 4);
}

void ResourceBlob::putBytes(std::size_t at, const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        store(bytes, at + i, static_cast<uint8_t>(text[i]), 1);
}

void ResourceBlob::directory(std::size_t at, uint16_t named, uint16_t ids)
{
    put32(at, 0);
    put32(at + 4, 0);
    put32(at + 8, 0);
    put16(at + 12, named);
    put16(at + 14, ids);
}

void ResourceBlob::entry(std::size_t at, uint32_t name, uint32_t data)
{
    put32(at, name);
    put32(at + 4, data);
}

void ResourceBlob::dataEntry(std::size_t at, uint32_t rva, uint32_t size)
{
    put32(at, rva);
    put32(at + 4, size);
    put32(at + 8, 0);
    put32(at + 12, 0);
}

void ResourceBlob::name(std::size_t at, const std::string& text)
{
    put16(at, static_cast<uint16_t>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i)
        put16(at + 2 + 2 * i, static_cast<uint8_t>(text[i]));
}

ResourceBlob oneResource(uint32_t type, uint32_t id, const std::string& data, uint32_t sectionRva)
{
    ResourceBlob blob;
    blob.directory(0x00, 0, 1);
    blob.entry(0x10, type, 0x80000000u | 0x18);
    blob.directory(0x18, 0, 1);
    blob.entry(0x28, id, 0x80000000u | 0x30);
    blob.directory(0x30, 0, 1);
    blob.entry(0x40, 1033, 0x48);
    blob.dataEntry(0x48, sectionRva + 0x58, static_cast<uint32_t>(data.size()));
    blob.putBytes(0x58, data);
    return blob;
}

std::vector<uint8_t> PeImage::build() const
{
    std::vector<uint8_t> out(kRawOffset, 0);
    out[0] = 'M';
    out[1] = 'Z';
    store(out, 0x3C, kNtOffset, 4);
    store(out, kNtOffset, 0x4550, 4);
    store(out, kNtOffset + 4, pe32Plus ? 0x8664 : 0x14C, 2);
    store(out, kNtOffset + 6, sectionCount >= 0 ? static_cast<uint64_t>(sectionCount) : 2, 2);
    const uint16_t optionalSize = static_cast<uint16_t>((pe32Plus ? 240 : 224) + extraOptional);
    store(out, kNtOffset + 20, optionalSize, 2);
    store(out, kNtOffset + 24, pe32Plus ? 0x20B : 0x10B, 2);
    // A code section first, so that the resource section is found by name.
    const std::size_t table = kNtOffset + 24 + optionalSize;
    const char text[8] = { '.', 't', 'e', 'x', 't' };
    for (int i = 0; i < 8; ++i)
        store(out, table + static_cast<std::size_t>(i), static_cast<uint8_t>(text[i]), 1);
    const std::size_t section = table + 40;
    for (std::size_t i = 0; i < 8; ++i)
        store(out, section + i, i < sectionName.size() ? static_cast<uint8_t>(sectionName[i]) : 0, 1);
    store(out, section + 8, resources.size(), 4);
    store(out, section + 12, resourceRva, 4);
    store(out, section + 16, resources.size(), 4);
    store(out, section + 20, kRawOffset, 4);
    out.resize(kRawOffset);
    out.insert(out.end(), resources.begin(), resources.end());
    return out;
}

} // namespace ov::test
