// The archive string table. Besides the codes the archive paths raise it
// holds the texts of the same ranges that no path raises, so that a handler
// can show any code by its id.
#include "archive/messages.h"

#include <algorithm>
#include <iterator>

namespace ov {

namespace {

struct Entry {
    int32_t code;
    std::string_view text;
};

// Sorted by code.
constexpr Entry table[] = {
    { 25102, "File is read-only" },
    { 25108, "Bad file header" },
    { 25109, "Bad block" },
    { 25120, "Bad Huffman code" },
    { 25121, "Invalid code encountered" },
    { 25134, "Incorrect number of bits" },
    { 25135, "Broken multi-volume chain" },
    { 25136, "Error writing to file" },
    { 25137, "Error closing file" },
    { 25138, "Incomplete code set" },
    { 25150, "Error creating dir" },
    { 25151, "File fails CRC check" },
    { 25152, "File contains invalid decode tree" },
    { 25155, "Disk full" },
    { 25156, "is not accessible." },
    { 25157, "EOF not found" },
    { 25172, "File not found" },
    { 25235, "Error opening file" },
    { 25236, "Error reading file or unexpected end of file" },
    { 25237, "Header CRC error" },
    { 25238, "Header ID error" },
    { 25242, "Invalid or unsupported archive type for this operation" },
    { 25243, "Invalid file name" },
    { 25247, "Bad lengths" },
    { 25248, "Inconsistant local header" },
    { 25250, "Maximum volumes 999" },
    { 25253, "Out of memory" },
    { 25258, "Unrar.dll not found" },
    { 25259, "Cabinet.dll not found" },
    { 25262, "Multi-Part GZIP files not supported" },
    { 25270, "Required event not assigned" },
    { 25290, "Password protected" },
    { 25291, "Seek error" },
    { 25292, "Ambiguous Shannon-Fano decode tree encountered" },
    { 25297, "Stack overflow" },
    { 25299, "Streaming not supported with this archive type" },
    { 25301, "Unsupported compression method" },
    { 25302, "Unknown file type" },
    { 25400, "User Aborted" },
    { 25402, "Version error" },
    { 26517, "Invalid password" },
    { 26522, "Password failed" },
    { 26900, "Skipped File" },
    { 26999, "Nothing to do" },
};

} // namespace

std::string_view archiveMessageText(int32_t code)
{
    auto it = std::lower_bound(std::begin(table), std::end(table), code,
        [](const Entry& entry, int32_t value) { return entry.code < value; });
    if (it == std::end(table) || it->code != code)
        return {};
    return it->text;
}

std::string archiveMessageBlock(const std::string& fileName, int32_t code)
{
    const std::string breaks = "\r\r";
    const bool general = code >= 26500 && code <= 26999;
    std::string text = fileName + breaks;
    text += (general ? "General Message: " : "Error#: ") + std::to_string(code) + breaks;
    text += (general ? "Messge: " : "Error: ") + std::string(archiveMessageText(code)) + breaks;
    return text;
}

} // namespace ov
