#include "archive/formats/arc_header.h"

#include "archive/bytes.h"

#include <cstring>

namespace ov {

namespace {

constexpr uint8_t Marker = 0x1A;
constexpr std::size_t HeaderSize = 29;
constexpr std::size_t OldHeaderSize = 25; // method 1: no unpacked size
constexpr uint8_t MethodFolder = 30;
constexpr uint8_t MethodFolderEnd = 31;
constexpr int64_t FolderEndSize = 2;

} // namespace

ArcReader::ArcReader(FileLayer& file, int64_t dataOffset, bool pak)
    : m_cursor(file, dataOffset)
    , m_pak(pak)
{
}

bool ArcReader::next(ArcHeader& header)
{
    uint8_t h[HeaderSize];
    while (m_cursor.ended() == WalkEnd::Running) {
        const int64_t position = m_cursor.position();
        if (!m_cursor.read(position, h, 2))
            return m_cursor.finish(WalkEnd::Cut);
        if (h[0] != Marker)
            return m_cursor.finish(WalkEnd::Damaged);
        const uint8_t method = h[1];
        if (method == 0)
            return m_cursor.finish(WalkEnd::Marker);
        if (!m_pak && method == MethodFolderEnd) {
            // Back to the folder above: drop the last component.
            const auto slash = m_folder.find_last_of('/', m_folder.size() >= 2 ? m_folder.size() - 2 : 0);
            m_folder = slash == std::string::npos ? std::string() : m_folder.substr(0, slash + 1);
            m_cursor.advance(position + FolderEndSize);
            continue;
        }
        const std::size_t headerSize = method == 1 ? OldHeaderSize : HeaderSize;
        if (!m_cursor.read(position, h, headerSize))
            return m_cursor.finish(WalkEnd::Cut);
        const auto* stored = reinterpret_cast<const char*>(h + 2);
        header = ArcHeader();
        header.headerAt = position;
        header.method = method;
        header.storedName = m_folder + std::string(stored, strnlen(stored, 13));
        header.folder = !m_pak && method == MethodFolder;
        header.dataAt = position + int64_t(headerSize);
        header.dosTime = uint32_t(le16(h + 19)) << 16 | le16(h + 21);
        header.crc = le16(h + 23);
        const int64_t packed = le32(h + 15);
        if (header.folder) {
            m_folder = header.storedName + "/";
            m_cursor.advance(header.dataAt);
            return true;
        }
        header.packedSize = packed;
        header.unpackedSize = method == 1 ? packed : le32(h + 25);
        const int64_t next = header.dataAt + packed;
        if (next > m_cursor.size())
            m_cursor.finish(WalkEnd::DataCut);
        else
            m_cursor.advance(next);
        return true;
    }
    return false;
}

} // namespace ov
