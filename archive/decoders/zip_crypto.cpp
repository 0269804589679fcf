#include "archive/decoders/zip_crypto.h"

#include <array>

namespace ov {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table {};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> CrcTable = makeCrcTable();

inline std::uint32_t crcStep(std::uint32_t crc, std::uint8_t byte)
{
    return CrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

} // namespace

void ZipCrypto::update(std::uint8_t plain)
{
    m_keys[0] = crcStep(m_keys[0], plain);
    m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
    m_keys[2] = crcStep(m_keys[2], std::uint8_t(m_keys[1] >> 24));
}

std::uint8_t ZipCrypto::decryptByte(std::uint8_t cipher)
{
    const std::uint32_t temp = (m_keys[2] | 2) & 0xFFFF;
    const std::uint8_t plain = cipher ^ std::uint8_t((temp * (temp ^ 1)) >> 8);
    update(plain);
    return plain;
}

void ZipCrypto::setPassword(std::string_view password)
{
    m_keys[0] = 0x12345678u;
    m_keys[1] = 0x23456789u;
    m_keys[2] = 0x34567890u;
    m_empty = password.empty();
    for (char c : password)
        update(std::uint8_t(c));
}

bool ZipCrypto::acceptHeader(std::span<const std::uint8_t, HeaderSize> header, std::uint8_t checkByte)
{
    std::uint8_t last = 0;
    for (std::uint8_t byte : header)
        last = decryptByte(byte);
    return !m_empty && last == checkByte;
}

void ZipCrypto::decrypt(std::span<std::uint8_t> data)
{
    for (std::uint8_t& byte : data)
        byte = decryptByte(byte);
}

} // namespace ov
