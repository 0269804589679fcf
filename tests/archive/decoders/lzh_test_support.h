// Test helpers for the LZH, LZHUF and ARJ decoders: small CRCs, and just
// enough LHA and ARJ header parsing to pull a member's packed bytes out of a
// real archive.
#pragma once

#include "tests/archive/decoders/decode_run.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ov::test {

inline std::uint16_t crc16(const Bytes& data)
{
    std::uint16_t crc = 0;
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

inline std::uint32_t crc32(const Bytes& data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline std::uint32_t le16(const Bytes& data, std::size_t at)
{
    return data[at] | data[at + 1] << 8;
}
inline std::uint32_t le32(const Bytes& data, std::size_t at)
{
    return le16(data, at) | static_cast<std::uint32_t>(le16(data, at + 2)) << 16;
}

struct PackedMember {
    std::string method; // "-lh5-" for LHA, "arj1" ... for ARJ
    Bytes packed;
    std::uint64_t unpackedSize = 0;
    std::uint32_t crc = 0; // CRC-16 (LHA) or CRC-32 (ARJ) as stored
};

// The first member of an LHA archive (header levels 0-2), found by scanning
// for its method text (self-extractors carry a program in front).
inline std::optional<PackedMember> firstLhaMember(const Bytes& archive)
{
    for (std::size_t at = 0; at + 24 < archive.size(); ++at) {
        if (archive[at + 2] != '-' || archive[at + 3] != 'l' || archive[at + 6] != '-'
            || archive[at + 20] > 2)
            continue;
        PackedMember member;
        member.method.assign(archive.begin() + at + 2, archive.begin() + at + 7);
        std::uint64_t packed = le32(archive, at + 7);
        member.unpackedSize = le32(archive, at + 11);
        std::size_t data;
        const unsigned level = archive[at + 20];
        if (level == 2) {
            // The data follows the total header size, or the end of the
            // extended headers where that lies further (LHa for OS-9/68k
            // stores the size 2 short; others pad after the last header).
            std::size_t walked = at + 24;
            for (std::uint32_t size; walked + 2 <= archive.size() && (size = le16(archive, walked)) != 0;
                 walked += size)
                ;
            data = std::max<std::size_t>(at + le16(archive, at), walked + 2);
            member.crc = le16(archive, at + 21);
        } else {
            const std::size_t headerEnd = at + 2 + archive[at];
            const std::size_t nameEnd = at + 22 + archive[at + 21];
            member.crc = le16(archive, nameEnd);
            data = headerEnd;
            if (level == 1) {
                // Extended headers follow the base header and count in the packed size.
                std::size_t next = headerEnd - 2;
                for (std::uint32_t size; next + 2 <= archive.size() && (size = le16(archive, next)) != 0;
                     next += size)
                    packed -= size;
                data = next + 2;
            }
        }
        if (data + packed > archive.size())
            return std::nullopt;
        member.packed.assign(archive.begin() + data, archive.begin() + data + packed);
        return member;
    }
    return std::nullopt;
}

// The members of an ARJ archive (after its main header).
inline std::vector<PackedMember> arjMembers(const Bytes& archive)
{
    std::vector<PackedMember> members;
    std::size_t at = 0;
    bool mainHeader = true;
    while (at + 4 <= archive.size() && archive[at] == 0x60 && archive[at + 1] == 0xEA) {
        const std::size_t size = le16(archive, at + 2);
        if (size == 0)
            break;
        const std::size_t basic = at + 4;
        std::size_t next = basic + size + 4; // header and its CRC-32
        while (next + 2 <= archive.size() && le16(archive, next) != 0)
            next += le16(archive, next) + 6; // extended header, its size and CRC
        next += 2;
        if (mainHeader) {
            mainHeader = false;
            at = next;
            continue;
        }
        PackedMember member;
        member.method = "arj" + std::to_string(archive[basic + 5]);
        const std::size_t packed = le32(archive, basic + 12);
        member.unpackedSize = le32(archive, basic + 16);
        member.crc = le32(archive, basic + 20);
        member.packed.assign(archive.begin() + next, archive.begin() + next + packed);
        members.push_back(std::move(member));
        at = next + packed;
    }
    return members;
}

} // namespace ov::test
