#include "archive/rarlayer/rar_volumes.h"

#include <cctype>
#include <cstring>

namespace ov {

std::string nextRarVolume(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::string lower = path.substr(nameAt);
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    // New style: the digits before ".rar", after ".part".
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".rar") == 0) {
        std::size_t digitsEnd = lower.size() - 4;
        std::size_t digitsAt = digitsEnd;
        while (digitsAt > 0 && std::isdigit(static_cast<unsigned char>(lower[digitsAt - 1])))
            --digitsAt;
        if (digitsAt < digitsEnd && digitsAt >= 5 && lower.compare(digitsAt - 5, 5, ".part") == 0) {
            std::string digits = path.substr(nameAt + digitsAt, digitsEnd - digitsAt);
            // Count up in place; a carry out of the first digit widens it.
            std::size_t i = digits.size();
            while (i > 0 && digits[i - 1] == '9')
                digits[--i] = '0';
            if (i == 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[i - 1];
            return path.substr(0, nameAt + digitsAt) + digits + path.substr(nameAt + digitsEnd);
        }
        return path.substr(0, path.size() - 3) + (path[path.size() - 3] == 'R' ? "R00" : "r00");
    }
    // Old style: .r00 … .r99, then .s00 ….
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameAt || path.size() - dot != 4)
        return path + ".r00";
    std::string extension = path.substr(dot + 1);
    if (!std::isdigit(static_cast<unsigned char>(extension[1]))
        || !std::isdigit(static_cast<unsigned char>(extension[2])))
        return path.substr(0, dot) + ".r00";
    int number = (extension[1] - '0') * 10 + (extension[2] - '0') + 1;
    if (number == 100) {
        number = 0;
        ++extension[0];
    }
    extension[1] = char('0' + number / 10);
    extension[2] = char('0' + number % 10);
    return path.substr(0, dot + 1) + extension;
}

namespace {

const uint8_t Marker4[] = { 'R', 'a', 'r', '!', 0x1A, 0x07, 0x00 };
const uint8_t Marker5[] = { 'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00 };

uint32_t le16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t le32(const uint8_t* p)
{
    return le16(p) | le16(p + 2) << 16;
}

// A RAR 5 variable-length integer at `at`; false when it runs past `end`.
bool vint(const uint8_t* bytes, std::size_t end, std::size_t& at, uint64_t& value)
{
    value = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (at >= end)
            return false;
        const uint8_t byte = bytes[at++];
        value |= uint64_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

// RAR 1.5-4.x blocks: CRC (2), type (1), flags (2), size (2), then for
// blocks with flag 0x8000 (and every file block) a 32-bit data size.
bool continues4(const uint8_t* b, std::size_t size, std::size_t at)
{
    bool volume = false, splitAfter = false;
    while (at + 7 <= size) {
        const uint8_t type = b[at + 2];
        const uint32_t flags = le16(b + at + 3);
        const uint32_t headerSize = le16(b + at + 5);
        if (headerSize < 7)
            break;
        uint64_t dataSize = 0;
        if ((flags & 0x8000) || type == 0x74 || type == 0x7A) {
            if (at + 11 > size)
                break;
            dataSize = le32(b + at + 7);
            if (type == 0x74 && (flags & 0x100) && at + 36 <= size)
                dataSize |= uint64_t(le32(b + at + 32)) << 32;
        }
        if (type == 0x73)
            volume = flags & 0x0001;
        else if (type == 0x74)
            splitAfter = flags & 0x0002;
        else if (type == 0x7B)
            return volume && (flags & 0x0001);
        at += headerSize + dataSize;
    }
    return volume && splitAfter;
}

// RAR 5 blocks: CRC-32, header size (vint), type, flags, [extra size],
// [data size]; flag 0x0002 says a data area follows the header.
bool continues5(const uint8_t* b, std::size_t size, std::size_t at)
{
    bool volume = false, splitAfter = false;
    while (at + 5 <= size) {
        std::size_t p = at + 4;
        uint64_t headerSize = 0, type = 0, flags = 0, extra = 0, data = 0;
        if (!vint(b, size, p, headerSize) || headerSize == 0 || headerSize > size - p)
            break;
        const std::size_t end = p + std::size_t(headerSize);
        if (!vint(b, end, p, type) || !vint(b, end, p, flags))
            break;
        if ((flags & 0x0001) && !vint(b, end, p, extra))
            break;
        if ((flags & 0x0002) && !vint(b, end, p, data))
            break;
        uint64_t archiveFlags = 0;
        if (type == 1 && vint(b, end, p, archiveFlags))
            volume = archiveFlags & 0x0001;
        else if (type == 2 || type == 3)
            splitAfter = flags & 0x0010;
        else if (type == 5 && vint(b, end, p, archiveFlags))
            return volume && (archiveFlags & 0x0001);
        if (data > size - end)
            break;
        at = end + std::size_t(data);
    }
    return volume && splitAfter;
}

} // namespace

bool rarVolumeContinues(const uint8_t* bytes, std::size_t size)
{
    for (std::size_t at = 0; at + sizeof Marker5 <= size; ++at) {
        if (bytes[at] != 'R')
            continue;
        if (std::memcmp(bytes + at, Marker5, sizeof Marker5) == 0)
            return continues5(bytes, size, at + sizeof Marker5);
        if (std::memcmp(bytes + at, Marker4, sizeof Marker4) == 0)
            return continues4(bytes, size, at + sizeof Marker4);
    }
    return false;
}

} // namespace ov
