// PE layout (the PE/COFF format as Microsoft documents it): the DOS header's e_lfanew at
// 0x3C points at "PE\0\0"; the optional header's data directory 2 is the
// resource table; its tree is type → name → language, and string resources
// are grouped sixteen to a block named (id / 16) + 1, each string a 16-bit
// length followed by UTF-16 code units.
#include "archive/pe_strings.h"

#include "archive/bytes.h"
#include "archive/file_layer.h"

#include <algorithm>
#include <vector>

namespace ov {

namespace {

constexpr uint32_t rtString = 6;
constexpr int maxSections = 96;

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
};

class PeReader {
public:
    explicit PeReader(FileLayer& file)
        : m_file(file)
    {
    }

    bool load()
    {
        uint8_t dos[64];
        if (!m_file.readExact(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const uint32_t peOffset = le32(dos + 0x3C);
        uint8_t coff[24];
        if (!m_file.readExact(peOffset, coff, sizeof coff) || le32(coff) != 0x00004550)
            return false;
        const uint16_t sectionCount = le16(coff + 6);
        const uint16_t optionalSize = le16(coff + 20);
        if (sectionCount == 0 || sectionCount > maxSections || optionalSize < 2)
            return false;
        std::vector<uint8_t> optional(optionalSize);
        if (!m_file.readExact(int64_t(peOffset) + 24, optional.data(), optional.size()))
            return false;
        // PE32 keeps the data directories at 96, PE32+ at 112.
        const uint16_t magic = le16(optional.data());
        const std::size_t directories = magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0;
        if (!directories || optional.size() < directories + 3 * 8)
            return false;
        const std::size_t countAt = directories - 4;
        if (le32(optional.data() + countAt) < 3)
            return false;
        m_resourceRva = le32(optional.data() + directories + 2 * 8);
        if (m_resourceRva == 0)
            return false;
        const int64_t sectionTable = int64_t(peOffset) + 24 + optionalSize;
        for (int i = 0; i < sectionCount; ++i) {
            uint8_t header[40];
            if (!m_file.readExact(sectionTable + i * 40, header, sizeof header))
                return false;
            m_sections.push_back(
                { le32(header + 12), le32(header + 8), le32(header + 20), le32(header + 16) });
        }
        return true;
    }

    // The file offset of `length` bytes at `rva`, inside one section's raw data.
    std::optional<int64_t> offsetOf(uint32_t rva, uint32_t length) const
    {
        for (const auto& s : m_sections) {
            const uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && uint64_t(rva) - s.virtualAddress < extent) {
                const uint64_t inSection = uint64_t(rva) - s.virtualAddress;
                if (inSection + length > s.rawSize)
                    return std::nullopt;
                const int64_t offset = int64_t(s.rawOffset) + int64_t(inSection);
                if (offset + length > m_file.size())
                    return std::nullopt;
                return offset;
            }
        }
        return std::nullopt;
    }

    // Finds the entry `id` (or the first entry when id is 0) of the
    // directory at `directoryRva`; returns the entry's 32-bit target.
    std::optional<uint32_t> findEntry(uint32_t directoryOffset, uint32_t id, bool first) const
    {
        uint8_t header[16];
        auto at = offsetOf(m_resourceRva + directoryOffset, sizeof header);
        if (!at || !m_file.readExact(*at, header, sizeof header))
            return std::nullopt;
        const uint32_t count = uint32_t(le16(header + 12)) + le16(header + 14);
        if (count > 4096)
            return std::nullopt;
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t entry[8];
            auto entryAt = offsetOf(m_resourceRva + directoryOffset + 16 + i * 8, sizeof entry);
            if (!entryAt || !m_file.readExact(*entryAt, entry, sizeof entry))
                return std::nullopt;
            const uint32_t name = le32(entry);
            if (first || (!(name & 0x80000000u) && name == id))
                return le32(entry + 4);
        }
        return std::nullopt;
    }

    std::optional<std::string> stringResource(uint32_t id) const
    {
        auto type = findEntry(0, rtString, false);
        if (!type || !(*type & 0x80000000u))
            return std::nullopt;
        auto block = findEntry(*type & 0x7FFFFFFFu, id / 16 + 1, false);
        if (!block || !(*block & 0x80000000u))
            return std::nullopt;
        auto language = findEntry(*block & 0x7FFFFFFFu, 0, true);
        if (!language || (*language & 0x80000000u))
            return std::nullopt;
        uint8_t data[16];
        auto dataAt = offsetOf(m_resourceRva + *language, sizeof data);
        if (!dataAt || !m_file.readExact(*dataAt, data, sizeof data))
            return std::nullopt;
        const uint32_t rva = le32(data);
        const uint32_t size = le32(data + 4);
        if (size > 0x20000)
            return std::nullopt;
        auto bytesAt = offsetOf(rva, size);
        if (!bytesAt)
            return std::nullopt;
        std::vector<uint8_t> bytes(size);
        if (!m_file.readExact(*bytesAt, bytes.data(), bytes.size()))
            return std::nullopt;
        // Walk to string id % 16 of the block.
        std::size_t position = 0;
        for (uint32_t index = 0;; ++index) {
            if (position + 2 > bytes.size())
                return std::nullopt;
            const std::size_t length = le16(bytes.data() + position);
            position += 2;
            if (position + length * 2 > bytes.size())
                return std::nullopt;
            if (index == id % 16) {
                std::string text;
                for (std::size_t k = 0; k < length; ++k) {
                    const uint16_t unit = le16(bytes.data() + position + k * 2);
                    text += unit < 0x80 ? static_cast<char>(unit) : '?';
                }
                return text;
            }
            position += length * 2;
        }
    }

private:
    FileLayer& m_file;
    uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
};

} // namespace

std::optional<std::string> readStringResource(FileLayer& file, uint32_t id)
{
    PeReader reader(file);
    if (!reader.load())
        return std::nullopt;
    return reader.stringResource(id);
}

} // namespace ov
