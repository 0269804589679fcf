// A small writer of PE images for tests: a DOS header, NT headers (PE32 or
// PE32+), one or more sections and a resource section whose bytes the test
// lays out by hand, so that malformed directories can be written on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ov::test {

// Bytes of a resource section, written at chosen offsets (the buffer grows).
class ResourceBlob {
public:
    std::vector<uint8_t> bytes;

    void put16(std::size_t at, uint16_t value);
    void put32(std::size_t at, uint32_t value);
    void putBytes(std::size_t at, const std::string& text);
    // A directory header with its counts; entries follow at at + 16.
    void directory(std::size_t at, uint16_t named, uint16_t ids);
    void entry(std::size_t at, uint32_t name, uint32_t data);
    void dataEntry(std::size_t at, uint32_t rva, uint32_t size);
    // A counted UTF-16 name (ASCII text).
    void name(std::size_t at, const std::string& text);
};

struct PeImage {
    std::vector<uint8_t> resources; // the .rsrc section's raw data
    uint32_t resourceRva = 0x1000; // its VirtualAddress
    bool pe32Plus = false;
    std::string sectionName = ".rsrc";
    // Extra bytes of optional header beyond the standard size.
    uint16_t extraOptional = 0;
    // Overrides NumberOfSections when not negative.
    int sectionCount = -1;

    std::vector<uint8_t> build() const;
};

// The resource section of a valid tree: type `type`, id `id`, language
// 1033, holding `data`; its data RVA is relative to `sectionRva`.
ResourceBlob oneResource(uint32_t type, uint32_t id, const std::string& data, uint32_t sectionRva = 0x1000);

} // namespace ov::test
