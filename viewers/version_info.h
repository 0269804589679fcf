// VersionInfo: the VS_VERSIONINFO block of a version resource, read into a
// tree of keyed nodes, and the version page's rows worked out from it.
//
// Every node is a 16-bit length, a 16-bit value length, a 16-bit type (1
// text, 0 binary), a zero-terminated UTF-16 key, the value and the children,
// each part starting on a 4-byte boundary (Microsoft's "VS_VERSIONINFO"
// documentation). The reader stops at a node whose length is below 6 or runs
// past its parent, and never goes deeper than kMaxDepth levels; it never
// reads outside the bytes it is given.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ov {

struct VersionNode {
    std::string key; // UTF-8
    uint16_t type = 0; // 1 text, 0 binary
    std::span<const uint8_t> value; // the value's bytes as stored (inside the node)
    std::vector<VersionNode> children;

    // The value read as zero-terminated UTF-16 text, in UTF-8.
    std::string text() const;
    // The child whose key equals `key`, compared without case; null if none.
    const VersionNode* child(const std::string& key) const;
};

// VS_FIXEDFILEINFO, 13 32-bit fields starting with the signature 0xFEEF04BD.
struct FixedFileInfo {
    uint32_t signature = 0;
    uint32_t strucVersion = 0;
    uint32_t fileVersionMS = 0;
    uint32_t fileVersionLS = 0;
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlagsMask = 0;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0;
    uint32_t fileType = 0;
    uint32_t fileSubtype = 0;
    uint32_t fileDateMS = 0;
    uint32_t fileDateLS = 0;
};

class VersionInfo {
public:
    static constexpr int kMaxDepth = 8;

    // Reads the block; std::nullopt when not even the root node can be read.
    static std::optional<VersionInfo> parse(std::span<const uint8_t> bytes);

    const VersionNode& root() const { return m_root; }
    // The fixed file information, when the root's value holds one.
    const std::optional<FixedFileInfo>& fixed() const { return m_fixed; }

    // The node at a path like "\StringFileInfo\040904B0\CompanyName", each
    // step compared without case; null when any step is missing.
    const VersionNode* find(const std::string& path) const;
    // The first entry of "\VarFileInfo\Translation" as eight upper-case hex
    // digits (language, then code page); empty when it is shorter than 4 bytes.
    std::string translationKey() const;

private:
    VersionNode m_root;
    std::optional<FixedFileInfo> m_fixed;
};

// The version page's formatting of the fixed file information.
// A 32-bit value as two 16-bit halves: "0001.0000".
std::string versionHalves(uint32_t value);
// Two 32-bit values as four halves: "0001.0000.0000.0002".
std::string versionQuad(uint32_t ms, uint32_t ls);
// The names of the set bits of flags AND mask, each followed by a blank, or
// "<none>".
std::string fileFlagsText(uint32_t flags, uint32_t mask);
// The high part (bits 16..19) named, then " with " and the low part (bits
// 0..3) when it has a name: 0x40004 "NT with Win32".
std::string fileOSText(uint32_t os);
// The type's name; a driver ("Device driver:") or a font ("Font-") adds a
// blank and its subtype's name.
std::string fileTypeText(uint32_t type, uint32_t subtype);

// The 16 rows of the version page, names and values, and the label text.
struct VersionRows {
    static constexpr int kRows = 16;
    static const std::array<const char*, kRows>& names();

    std::string label; // "Lang-charset: " + key, or empty without a translation
    std::array<std::string, kRows> values;
};

// The rows of a version block: the eight strings of the translation's table,
// the separator, and the fixed file information (empty without one).
VersionRows versionRows(const VersionInfo& info);

} // namespace ov
