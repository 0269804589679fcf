// LeBytes: checked little-endian reads over an immutable byte span. Every
// read names an absolute offset and answers std::nullopt when any of its
// bytes lies outside the span, so offsets taken from a file can be used
// without first proving them sane. Offsets are 64-bit: a 32-bit field plus a
// 32-bit base never wraps.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace ov {

class LeBytes {
public:
    LeBytes() = default;
    explicit LeBytes(std::span<const uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    uint64_t size() const { return m_bytes.size(); }
    std::span<const uint8_t> bytes() const { return m_bytes; }

    // True when [offset, offset + length) lies inside the span.
    bool has(uint64_t offset, uint64_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    std::optional<uint8_t> u8(uint64_t offset) const
    {
        if (!has(offset, 1))
            return std::nullopt;
        return m_bytes[offset];
    }

    std::optional<uint16_t> u16(uint64_t offset) const
    {
        if (!has(offset, 2))
            return std::nullopt;
        return static_cast<uint16_t>(m_bytes[offset] | m_bytes[offset + 1] << 8);
    }

    std::optional<uint32_t> u32(uint64_t offset) const
    {
        if (!has(offset, 4))
            return std::nullopt;
        return static_cast<uint32_t>(m_bytes[offset]) | static_cast<uint32_t>(m_bytes[offset + 1]) << 8
            | static_cast<uint32_t>(m_bytes[offset + 2]) << 16
            | static_cast<uint32_t>(m_bytes[offset + 3]) << 24;
    }

    // The part of [offset, offset + length) that lies inside the span: the
    // whole range, a prefix of it, or nothing.
    std::span<const uint8_t> available(uint64_t offset, uint64_t length) const
    {
        if (offset >= m_bytes.size())
            return {};
        const uint64_t room = m_bytes.size() - offset;
        return m_bytes.subspan(offset, length < room ? length : room);
    }

private:
    std::span<const uint8_t> m_bytes;
};

} // namespace ov
