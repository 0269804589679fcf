#include "archive/formats/zip_directory.h"

#include "archive/bytes.h"

#include <algorithm>
#include <vector>

namespace ov {

namespace {

constexpr uint32_t LocalSignature = 0x04034B50;
constexpr uint32_t Zip250Signature = 0x50000000; // the bytes 00 00 00 50
constexpr uint32_t CentralSignature = 0x02014B50;
constexpr uint32_t EndSignature = 0x06054B50;
constexpr uint32_t Zip64EndSignature = 0x06064B50;
constexpr uint32_t Zip64LocatorSignature = 0x07064B50;
constexpr std::size_t CentralSize = 46;
constexpr std::size_t LocalSize = 30;
constexpr std::size_t EndSize = 22;
constexpr int64_t EndSearch = 32768;
constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr uint8_t HostUnix = 3;
constexpr uint32_t Sentinel32 = 0xFFFFFFFF;

// A 64-bit field from the archive, kept far enough below the largest offset
// that adding the shifts cannot overflow.
int64_t clamp64(uint64_t value)
{
    return int64_t(std::min<uint64_t>(value, INT64_MAX / 4));
}

} // namespace

bool ZipEntry::folder() const
{
    const bool unixFolder = hostSystem == HostUnix && ((externalAttributes >> 16) & 0xF000) == 0x4000;
    return (externalAttributes & 0x10) || unixFolder || (!storedName.empty() && storedName.back() == '/')
        || (!storedName.empty() && storedName.back() == '\\');
}

bool ZipEntry::link() const
{
    return hostSystem == HostUnix && ((externalAttributes >> 16) & 0xF000) == 0xA000;
}

NameEncoding ZipEntry::nameEncoding() const
{
    if (flags & 0x0800)
        return NameEncoding::Utf8;
    return hostSystem == HostUnix ? NameEncoding::Utf8IfValid : NameEncoding::Oem;
}

uint16_t ZipEntry::dosAttributes() const
{
    return uint16_t(externalAttributes) | (folder() ? 0x10 : 0);
}

ZipDirectory::ZipDirectory(FileLayer& file, int64_t programOffset)
    : m_cursor(file, 0)
    , m_programOffset(programOffset)
{
}

ZipDirectory::Opened ZipDirectory::open()
{
    // The end-of-directory record: scanned backwards in the last 32 KB.
    const int64_t size = m_cursor.size();
    const int64_t tail = std::min<int64_t>(size, EndSearch);
    if (tail < int64_t(EndSize))
        return Opened::NoEndRecord;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(tail));
    if (!m_cursor.read(size - tail, bytes.data(), bytes.size()))
        return Opened::NoEndRecord;
    int64_t endAt = -1;
    for (int64_t i = tail - int64_t(EndSize); i >= 0; --i)
        if (le32(bytes.data() + i) == EndSignature) {
            endAt = size - tail + i;
            break;
        }
    if (endAt < 0)
        return Opened::NoEndRecord;
    const uint8_t* end = bytes.data() + (endAt - (size - tail));
    int64_t directory = le32(end + 16);
    int64_t directorySize = le32(end + 12);
    m_declared = le16(end + 10);
    // Zip64: the locator just before the end record names the Zip64 record,
    // which normally stands right before the locator (where it is found
    // when the stored offset misses it, as in front of a glued stub).
    int64_t zip64At = -1;
    if (directory == Sentinel32 || directorySize == Sentinel32 || m_declared == 0xFFFF) {
        uint8_t locator[20];
        uint8_t record[56];
        if (m_cursor.read(endAt - 20, locator, sizeof locator) && le32(locator) == Zip64LocatorSignature) {
            const uint64_t storedAt = le64(locator + 8) + uint64_t(m_programOffset);
            for (const int64_t at : { storedAt < uint64_t(size) ? int64_t(storedAt) : -1, endAt - 20 - 56 })
                if (at >= 0 && m_cursor.read(at, record, sizeof record)
                    && le32(record) == Zip64EndSignature) {
                    zip64At = at;
                    break;
                }
            if (zip64At >= 0) {
                m_declared = clamp64(le64(record + 32));
                directorySize = clamp64(le64(record + 40));
                directory = clamp64(le64(record + 48));
            }
        }
    }
    directory += m_programOffset;
    if (m_declared == 0 && directorySize == 0)
        return Opened::Empty;

    // Bytes glued in front of an archive whose offsets were not adjusted:
    // the directory really ends where the end record (or the Zip64 record)
    // starts, so the difference shifts every stored offset.
    uint8_t central[CentralSize];
    if (!m_cursor.read(directory, central, CentralSize) || le32(central) != CentralSignature) {
        const int64_t directoryEnd = zip64At >= 0 ? zip64At : endAt;
        const int64_t actual = directoryEnd - directorySize;
        if (actual < 0 || actual <= directory || !m_cursor.read(actual, central, CentralSize)
            || le32(central) != CentralSignature)
            return Opened::BadFirstRecord;
        m_shift = actual - directory;
        directory = actual;
    }
    m_cursor.restart(directory);
    return Opened::Ok;
}

bool ZipDirectory::next(ZipEntry& entry)
{
    if (m_cursor.ended() != WalkEnd::Running)
        return false;
    const int64_t position = m_cursor.position();
    uint8_t central[CentralSize];
    if (!m_cursor.read(position, central, CentralSize) || le32(central) != CentralSignature) {
        // The directory ends here; before its declared count it was cut or
        // damaged.
        if (m_walked >= m_declared)
            return m_cursor.finish(WalkEnd::Marker);
        return m_cursor.finish(m_cursor.fits(position, CentralSize) ? WalkEnd::Damaged : WalkEnd::Cut);
    }
    const uint16_t nameLength = le16(central + 28);
    const uint16_t extraLength = le16(central + 30);
    const uint16_t commentLength = le16(central + 32);
    const int64_t nameAt = position + int64_t(CentralSize);
    entry = ZipEntry();
    entry.recordAt = position;
    entry.storedName.resize(nameLength);
    if (!m_cursor.read(nameAt, entry.storedName.data(), nameLength))
        return m_cursor.finish(WalkEnd::Cut);
    entry.versionMadeBy = central[4];
    entry.hostSystem = central[5];
    entry.versionNeeded = central[6];
    entry.flags = le16(central + 8);
    entry.method = le16(central + 10);
    entry.dosTime = le32(central + 12);
    entry.crc = le32(central + 16);
    entry.packedSize = le32(central + 20);
    entry.unpackedSize = le32(central + 24);
    entry.externalAttributes = le32(central + 38);
    int64_t localOffset = le32(central + 42);

    // Zip64 extended information: the fields stored as all ones, in order.
    if (entry.packedSize == Sentinel32 || entry.unpackedSize == Sentinel32 || localOffset == Sentinel32) {
        std::vector<uint8_t> extra(extraLength);
        if (m_cursor.read(nameAt + nameLength, extra.data(), extra.size())) {
            std::size_t at = 0;
            while (at + 4 <= extra.size()) {
                const uint16_t id = le16(extra.data() + at);
                const std::size_t length = le16(extra.data() + at + 2);
                if (at + 4 + length > extra.size())
                    break;
                if (id == Zip64ExtraId) {
                    const uint8_t* field = extra.data() + at + 4;
                    std::size_t left = length;
                    auto take = [&](int64_t& value) {
                        if (value != Sentinel32 || left < 8)
                            return;
                        value = clamp64(le64(field));
                        field += 8;
                        left -= 8;
                    };
                    take(entry.unpackedSize);
                    take(entry.packedSize);
                    take(localOffset);
                    break;
                }
                at += 4 + length;
            }
        }
    }
    entry.localHeaderAt = localOffset + m_shift + m_programOffset;
    ++m_walked;
    const int64_t next = nameAt + nameLength + extraLength + commentLength;
    if (next > m_cursor.size())
        m_cursor.finish(WalkEnd::Cut); // this record is whole, the rest is not
    else
        m_cursor.advance(next);
    return true;
}

bool ZipDirectory::readLocal(const ZipEntry& entry, ZipLocalHeader& local)
{
    uint8_t header[LocalSize];
    if (!m_cursor.read(entry.localHeaderAt, header, LocalSize))
        return false;
    if (le32(header) != LocalSignature && le32(header) != Zip250Signature)
        return false;
    local.dosTime = le32(header + 10);
    local.dataAt = entry.localHeaderAt + int64_t(LocalSize) + le16(header + 26) + le16(header + 28);
    return true;
}

bool ZipDataRanges::claim(int64_t from, int64_t to)
{
    // Taken ranges never overlap each other, so the neighbours on either
    // side of `from` are the only candidates.
    auto after = m_taken.lower_bound(from);
    if (after != m_taken.end() && after->first < to)
        return false;
    if (after != m_taken.begin() && std::prev(after)->second > from)
        return false;
    m_taken.emplace(from, to);
    return true;
}

} // namespace ov
