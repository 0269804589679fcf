// Traditional PKWARE ZIP encryption (APPNOTE, "Traditional PKWARE
// Decryption"): three 32-bit keys, set from the password and then stepped by
// every plain byte. A member's data starts with a 12-byte header whose last
// byte, once decrypted, must equal a check byte: the high byte of the CRC-32,
// or of the DOS time when general-purpose flag bit 3 is set.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ov {

class ZipCrypto {
public:
    static constexpr std::size_t HeaderSize = 12;

    // Keys from the password (its bytes as stored; no conversion).
    void setPassword(std::string_view password);

    // Decrypts the 12-byte header; true when its check byte matches. An
    // empty password never matches. The keys then stand ready for the data.
    bool acceptHeader(std::span<const std::uint8_t, HeaderSize> header, std::uint8_t checkByte);

    void decrypt(std::span<std::uint8_t> data);

private:
    std::uint8_t decryptByte(std::uint8_t cipher);
    void update(std::uint8_t plain);

    std::uint32_t m_keys[3] = {};
    bool m_empty = true;
};

} // namespace ov
