// Texts the panel draws: sizes, numbers, dates and times, the words it takes
// from the language file, and the colour of a name by its extension.
//
// Numbers use the "#,###" pattern with a fixed "," between thousands, never
// the locale's separator, and thousands are decimal (1000, not 1024).
#pragma once

#include "panel/entry.h"
#include "platform/file_system.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ov {

// "#,###": 1234567 gives "1,234,567"; 0 gives "" (the pattern shows no
// digit for zero); a negative value keeps its "-".
std::string formatThousands(int64_t value);
// "#,###", but "0" for values under 1 (the footer's sizes and totals).
std::string formatCount(int64_t value);

// "Empty" for 0; below 1000000 bytes, bytes / 1000 as "#,### Kb" ("0 Kb"
// under 1000); from 1000000 on, bytes / 1000000 as "#,### Mb".
std::string FormatSize(int64_t bytes);

// The full mode's size column: "<UP>" for the parent entry, "<" folderWord
// ">" for a folder not measured yet, FormatSize for a measured one (so an
// empty folder reads "Empty"), and a file's byte count. When the count does
// not fit (fits is false for it), the count in the first of Kb, Mb, Gb and
// Tb whose text fits, rounded down ("3,221 Mb"): the digits a narrow column
// would cut must never read as another number. Nothing fits: the Tb text.
std::string sizeColumnText(
    const Entry& entry, const std::string& folderWord, const std::function<bool(const std::string&)>& fits);
// The footer's size: the exact count with separators ("0" for an empty
// file), folderWord for a folder not measured yet, "Empty" for a measured
// empty folder.
std::string footerSizeText(const Entry& entry, const std::string& folderWord);

// dd.mm.yyyy, or mm.dd.yyyy when american is set.
std::string formatDate(const TSystemTime& time, bool american);
// hh:mm, 24-hour.
std::string formatTime(const TSystemTime& time);

// The words of the language sections FilePanel and SysInfoPanel, with the
// English texts until a language file replaces them.
struct PanelTexts {
    std::string Folder = "Folder";
    std::string bytes = "bytes";
    std::string in = "in";
    std::string files = "files";
    std::string FreeSpace = "free";
    std::string TotalDriveSize = "Total drive size";
    std::string InfoFreeSpace = "Free space";
    std::string TotalMemory = "Total memory";
    std::string SwapFile = "Swap file";
    std::string MemoryLoad = "Memory load";
    std::string DriveName = "Drive";
    std::string SerialNum = "Serial number";
};

// The extension colour table shared by both panels: 39 extensions in a
// fixed order, one colour each (white until the colours file is loaded).
class ExtensionColors {
public:
    static constexpr std::size_t Size = 39;
    // The extensions with their dots, in the table's order (".bat" ... ".pcx").
    static const std::array<std::string_view, Size>& extensions();
    // The table both panels read.
    static ExtensionColors& shared();

    std::array<int32_t, Size> colors;

    ExtensionColors();
    // Index of a lower-case extension with its dot, or -1.
    static int indexOf(std::string_view dottedExtension);
    // The colour of a name: the extension after its last dot, lower-cased
    // (a..z), looked up in the table; fallback when it is not there.
    int32_t colorOf(std::string_view fullName, int32_t fallback) const;
};

} // namespace ov
