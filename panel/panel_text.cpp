#include "panel/panel_text.h"

#include <cstdio>

namespace ov {

std::string formatThousands(int64_t value)
{
    if (value == 0)
        return std::string();
    // Work on the magnitude as unsigned so INT64_MIN cannot overflow.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::string result;
    result.reserve(digits.size() + digits.size() / 3 + 1);
    const std::size_t lead = digits.size() % 3;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (i + 3 - lead) % 3 == 0)
            result += ',';
        result += digits[i];
    }
    return value < 0 ? "-" + result : result;
}

std::string formatCount(int64_t value)
{
    return value < 1 ? std::string("0") : formatThousands(value);
}

std::string FormatSize(int64_t bytes)
{
    if (bytes == 0)
        return "Empty";
    if (bytes < 1000000) {
        const int64_t kilo = bytes / 1000;
        return (kilo == 0 ? std::string("0") : formatThousands(kilo)) + " Kb";
    }
    return formatThousands(bytes / 1000000) + " Mb";
}

std::string sizeColumnText(
    const Entry& entry, const std::string& folderWord, const std::function<bool(const std::string&)>& fits)
{
    if (entry.IsParent)
        return "<UP>";
    if (entry.isFolder())
        return entry.Measured ? FormatSize(entry.Size) : "<" + folderWord + ">";
    std::string text = std::to_string(entry.Size);
    if (fits(text))
        return text;
    static const char* const units[] = { " Kb", " Mb", " Gb", " Tb" };
    int64_t divisor = 1;
    for (const char* unit : units) {
        divisor *= 1000;
        const int64_t whole = entry.Size / divisor;
        text = (whole == 0 ? std::string("0") : formatThousands(whole)) + unit;
        if (fits(text))
            break;
    }
    return text;
}

std::string footerSizeText(const Entry& entry, const std::string& folderWord)
{
    if (!entry.isFolder())
        return formatCount(entry.Size);
    if (!entry.Measured)
        return folderWord;
    return entry.Size > 0 ? formatThousands(entry.Size) : FormatSize(0);
}

std::string formatDate(const TSystemTime& time, bool american)
{
    char text[32];
    const unsigned first = american ? time.wMonth : time.wDay;
    const unsigned second = american ? time.wDay : time.wMonth;
    std::snprintf(text, sizeof text, "%02u.%02u.%u", first, second, static_cast<unsigned>(time.wYear));
    return text;
}

std::string formatTime(const TSystemTime& time)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", static_cast<unsigned>(time.wHour),
        static_cast<unsigned>(time.wMinute));
    return text;
}

const std::array<std::string_view, ExtensionColors::Size>& ExtensionColors::extensions()
{
    static const std::array<std::string_view, Size> table = {
        ".bat",
        ".com",
        ".exe",
        ".pas",
        ".asm",
        ".cpp",
        ".c",
        ".h",
        ".txt",
        ".doc",
        ".arj",
        ".arc",
        ".zip",
        ".ha",
        ".lzh",
        ".ini",
        ".rar",
        ".bak",
        ".tmp",
        ".ico",
        ".bmp",
        ".jpg",
        ".jpeg",
        ".gif",
        ".tif",
        ".pic",
        ".emf",
        ".mid",
        ".wav",
        ".avi",
        ".mpg",
        ".mp2",
        ".mp3",
        ".xm",
        ".s3m",
        ".mod",
        ".it",
        ".itz",
        ".pcx",
    };
    return table;
}

ExtensionColors& ExtensionColors::shared()
{
    static ExtensionColors table;
    return table;
}

ExtensionColors::ExtensionColors()
{
    colors.fill(0xFFFFFF);
}

int ExtensionColors::indexOf(std::string_view dottedExtension)
{
    const auto& table = extensions();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == dottedExtension)
            return static_cast<int>(i);
    return -1;
}

int32_t ExtensionColors::colorOf(std::string_view fullName, int32_t fallback) const
{
    const auto dot = fullName.rfind('.');
    if (dot == std::string_view::npos)
        return fallback;
    std::string extension(fullName.substr(dot));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    const int index = indexOf(extension);
    return index < 0 ? fallback : colors[static_cast<std::size_t>(index)];
}

} // namespace ov
