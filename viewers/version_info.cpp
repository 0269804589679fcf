#include "viewers/version_info.h"

#include "viewers/le_bytes.h"
#include "viewers/utf16.h"

#include <cstdio>

namespace ov {

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedSize = 13 * 4;
constexpr uint64_t kNodeHeader = 6;

uint64_t align4(uint64_t offset)
{
    return (offset + 3) & ~uint64_t(3);
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool sameWithoutCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

// Zero-terminated UTF-16 from `at` up to `end`; `next` receives the offset
// after the terminator (or `end` when there is none).
std::u16string readText(const LeBytes& view, uint64_t at, uint64_t end, uint64_t& next)
{
    std::u16string text;
    while (at + 2 <= end) {
        const uint16_t unit = *view.u16(at);
        at += 2;
        if (unit == 0) {
            next = at;
            return text;
        }
        text.push_back(static_cast<char16_t>(unit));
    }
    next = end;
    return text;
}

// Reads the node at `at`, which must end by `limit`. false when its length is
// below the header or runs past `limit`.
bool readNode(const LeBytes& view, uint64_t at, uint64_t limit, int depth, VersionNode& node, uint64_t& end)
{
    const auto length = view.u16(at);
    if (!length || *length < kNodeHeader || at + *length > limit)
        return false;
    end = at + *length;
    const uint16_t valueLength = *view.u16(at + 2);
    node.type = *view.u16(at + 4);

    uint64_t next = end;
    node.key = utf16ToUtf8(readText(view, at + kNodeHeader, end, next));
    const uint64_t valueStart = align4(next);
    if (valueStart >= end)
        return true;
    // A text value counts UTF-16 units, a binary one bytes; either is cut at
    // the node's end.
    uint64_t valueBytes = node.type == 1 ? uint64_t(valueLength) * 2 : valueLength;
    if (valueBytes > end - valueStart)
        valueBytes = end - valueStart;
    node.value = view.bytes().subspan(valueStart, valueBytes);

    if (depth + 1 >= VersionInfo::kMaxDepth)
        return true;
    uint64_t child = align4(valueStart + valueBytes);
    while (child + kNodeHeader <= end) {
        VersionNode sub;
        uint64_t subEnd = 0;
        if (!readNode(view, child, end, depth + 1, sub, subEnd))
            break;
        node.children.push_back(std::move(sub));
        child = align4(subEnd);
    }
    return true;
}

std::string hex4(uint32_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

} // namespace

std::string VersionNode::text() const
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value[i] | value[i + 1] << 8);
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return utf16ToUtf8(units);
}

const VersionNode* VersionNode::child(const std::string& wanted) const
{
    for (const auto& node : children)
        if (sameWithoutCase(node.key, wanted))
            return &node;
    return nullptr;
}

std::optional<VersionInfo> VersionInfo::parse(std::span<const uint8_t> bytes)
{
    const LeBytes view(bytes);
    VersionInfo info;
    uint64_t end = 0;
    if (!readNode(view, 0, bytes.size(), 0, info.m_root, end))
        return std::nullopt;
    const LeBytes value(info.m_root.value);
    if (value.size() >= kFixedSize && value.u32(0) == kFixedSignature) {
        FixedFileInfo fixed;
        uint32_t* fields[]
            = { &fixed.signature, &fixed.strucVersion, &fixed.fileVersionMS, &fixed.fileVersionLS,
                  &fixed.productVersionMS, &fixed.productVersionLS, &fixed.fileFlagsMask, &fixed.fileFlags,
                  &fixed.fileOS, &fixed.fileType, &fixed.fileSubtype, &fixed.fileDateMS, &fixed.fileDateLS };
        for (std::size_t i = 0; i < std::size(fields); ++i)
            *fields[i] = *value.u32(4 * i);
        info.m_fixed = fixed;
    }
    return info;
}

const VersionNode* VersionInfo::find(const std::string& path) const
{
    const VersionNode* node = &m_root;
    std::size_t at = 0;
    while (node && at < path.size()) {
        if (path[at] == '\\') {
            ++at;
            continue;
        }
        std::size_t stop = path.find('\\', at);
        if (stop == std::string::npos)
            stop = path.size();
        node = node->child(path.substr(at, stop - at));
        at = stop;
    }
    return node;
}

std::string VersionInfo::translationKey() const
{
    const VersionNode* node = find("\\VarFileInfo\\Translation");
    if (!node || node->value.size() < 4)
        return {};
    const LeBytes value(node->value);
    return hex4(*value.u16(0)) + hex4(*value.u16(2));
}

std::string versionHalves(uint32_t value)
{
    return hex4(value >> 16) + "." + hex4(value);
}

std::string versionQuad(uint32_t ms, uint32_t ls)
{
    return versionHalves(ms) + "." + versionHalves(ls);
}

std::string fileFlagsText(uint32_t flags, uint32_t mask)
{
    static const std::pair<uint32_t, const char*> names[] = {
        { 0x01, "Debug" },
        { 0x02, "Pre-release" },
        { 0x04, "Patched" },
        { 0x08, "Private build" },
        { 0x10, "Info inferred" },
        { 0x20, "Special build" },
    };
    std::string text;
    for (const auto& [bit, name] : names)
        if (flags & mask & bit)
            text += std::string(name) + " ";
    return text.empty() ? "<none>" : text;
}

std::string fileOSText(uint32_t os)
{
    static const std::pair<uint32_t, const char*> high[] = {
        { 0, "Unknown" },
        { 0x10000, "DOS" },
        { 0x20000, "OS/2 16" },
        { 0x30000, "OS/2 32" },
        { 0x40000, "NT" },
    };
    static const std::pair<uint32_t, const char*> low[] = {
        { 0, "Unknown" },
        { 1, "Win16" },
        { 2, "PM 16" },
        { 3, "PM 32" },
        { 4, "Win32" },
    };
    std::string text;
    for (const auto& [value, name] : high)
        if (value == (os & 0xF0000))
            text = name;
    for (const auto& [value, name] : low)
        if (value == (os & 0xF))
            text += std::string(" with ") + name;
    return text;
}

std::string fileTypeText(uint32_t type, uint32_t subtype)
{
    static const std::pair<uint32_t, const char*> types[] = {
        { 0, "Unknown" },
        { 1, "Application" },
        { 2, "Dynamic-link library" },
        { 3, "Device driver:" },
        { 4, "Font-" },
        { 5, "Virtual device" },
        { 7, "Static-link library" },
    };
    static const char* const drivers[] = { "Unknown", "printer", "keyboard", "language", "display", "mouse",
        "network", "system", "installable", "sound", "comm" };
    static const char* const fonts[] = { "", "raster", "vector", "true type" };
    std::string text;
    for (const auto& [value, name] : types)
        if (value == type)
            text = name;
    if (!text.empty() && text.back() == ':')
        text += std::string(" ") + (subtype < std::size(drivers) ? drivers[subtype] : "");
    else if (!text.empty() && text.back() == '-')
        text += std::string(" ") + (subtype < std::size(fonts) ? fonts[subtype] : "");
    return text;
}

const std::array<const char*, VersionRows::kRows>& VersionRows::names()
{
    static const std::array<const char*, kRows> rows
        = { "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
              "OriginalFilename", "ProductName", "ProductVersion", "--------------------", "Struct version",
              "File version", "Product version", "File flags", "OS flags", "File type", "File date/time" };
    return rows;
}

VersionRows versionRows(const VersionInfo& info)
{
    VersionRows rows;
    const std::string key = info.translationKey();
    if (!key.empty()) {
        rows.label = "Lang-charset: " + key;
        for (int i = 0; i < 8; ++i)
            if (const VersionNode* node
                = info.find("\\StringFileInfo\\" + key + "\\" + VersionRows::names()[i]))
                rows.values[i] = node->text();
    }
    rows.values[8] = "--------------------";
    if (const auto& fixed = info.fixed()) {
        rows.values[9] = versionHalves(fixed->strucVersion);
        rows.values[10] = versionQuad(fixed->fileVersionMS, fixed->fileVersionLS);
        rows.values[11] = versionQuad(fixed->productVersionMS, fixed->productVersionLS);
        rows.values[12] = fileFlagsText(fixed->fileFlags, fixed->fileFlagsMask);
        rows.values[13] = fileOSText(fixed->fileOS);
        rows.values[14] = fileTypeText(fixed->fileType, fixed->fileSubtype);
        rows.values[15] = "not done yet.";
    }
    return rows;
}

} // namespace ov
