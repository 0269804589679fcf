// TAR directory (POSIX ustar and pax, GNU and v7 tar): 512-byte headers,
// each followed by its data rounded up to 512. The ustar prefix, GNU long
// names ('L') and pax "path" records supply names longer than 100 bytes;
// sizes may be octal or GNU base-256.
#include "archive/listing_run.h"

#include "archive/bytes.h"

#include <cstring>
#include <vector>

namespace ov {

namespace {

// An octal field (blanks and zero bytes around the digits), or the GNU
// base-256 form when the first byte has the high bit set. -1 when invalid.
int64_t tarNumber(const uint8_t* field, std::size_t length)
{
    if (field[0] & 0x80) {
        int64_t value = field[0] & 0x3F;
        for (std::size_t i = 1; i < length; ++i) {
            if (value > (INT64_MAX >> 9))
                return -1;
            value = value << 8 | field[i];
        }
        return value;
    }
    std::size_t i = 0;
    while (i < length && (field[i] == ' ' || field[i] == 0))
        ++i;
    int64_t value = 0;
    bool any = false;
    for (; i < length && field[i] >= '0' && field[i] <= '7'; ++i) {
        value = value * 8 + (field[i] - '0');
        any = true;
    }
    return any ? value : -1;
}

std::string field(const uint8_t* bytes, std::size_t length)
{
    return std::string(
        reinterpret_cast<const char*>(bytes), strnlen(reinterpret_cast<const char*>(bytes), length));
}

// The "path" value of a pax extended header ("<len> path=<value>\n" records).
std::string paxPath(const std::string& records)
{
    std::size_t at = 0;
    while (at < records.size()) {
        const auto space = records.find(' ', at);
        if (space == std::string::npos)
            break;
        std::size_t length = 0;
        for (std::size_t i = at; i < space; ++i) {
            if (records[i] < '0' || records[i] > '9' || length > records.size())
                return {};
            length = length * 10 + static_cast<std::size_t>(records[i] - '0');
        }
        if (length == 0 || at + length > records.size())
            break;
        const std::string record = records.substr(space + 1, at + length - space - 1);
        if (record.rfind("path=", 0) == 0) {
            std::string value = record.substr(5);
            if (!value.empty() && value.back() == '\n')
                value.pop_back();
            return value;
        }
        at += length;
    }
    return {};
}

} // namespace

void ListingRun::listTar()
{
    TArchiveLister& l = lister;
    int64_t position = l.DataOffset();
    uint8_t h[512];
    std::string longName;
    while (keepGoing()) {
        if (!fits(position, 512) || !read(position, h, 512))
            break;
        std::string stored = field(h, 100);
        if (stored.empty())
            break;
        const int64_t size = tarNumber(h + 124, 12);
        if (size < 0)
            break;
        const char type = static_cast<char>(h[156]);
        const int64_t dataAt = position + 512;
        const int64_t next = dataAt + (size + 511) / 512 * 512;

        // Headers that name the next member.
        if (type == 'L' || type == 'x') {
            if (size > 65536 || !fits(dataAt, size))
                break;
            std::string data(static_cast<std::size_t>(size), '\0');
            if (!read(dataAt, data.data(), data.size()))
                break;
            longName = type == 'L' ? std::string(data.c_str()) : paxPath(data);
        } else if (type != 'g' && type != 'K' && type != 'V') {
            if (!longName.empty())
                stored = longName;
            else if (std::memcmp(h + 257, "ustar", 5) == 0 && h[345])
                stored = field(h + 345, 155) + "/" + stored;
            longName.clear();
            const bool folder = type == '5' || (!stored.empty() && stored.back() == '/');
            while (!stored.empty() && stored.back() == '/')
                stored.pop_back();
            if (type == 0 || type == '0' || type == '1' || type == '7' || folder) {
                l.clearEntry();
                l.FileName = name(stored, NameEncoding::Utf8IfValid);
                l.PackedSize = l.UnpackedSize = folder ? 0 : size;
                const int64_t stamp = tarNumber(h + 136, 12);
                l.FileDate = stamp < 0 ? dosEpoch() : l.UnixToDateTime(stamp);
                const int64_t checksum = tarNumber(h + 148, 8);
                l.Crc = checksum < 0 ? 0 : static_cast<uint32_t>(checksum);
                l.MethodNumber = 0;
                l.MethodName = "Stored";
                l.ExternalAttr = folder ? 0x10 : 0;
                report(position, folder);
            }
        }
        if (!isForward(position, next) && next != this->size)
            break;
        if (next >= this->size)
            break;
        position = next;
    }
}

} // namespace ov
