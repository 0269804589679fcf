// Uuencoded files: the member is named by the "begin <mode> <name>" line in
// the first 32 KB; sizes are the file's own.
#include "archive/listing_run.h"

#include <algorithm>
#include <vector>

namespace ov {

void ListingRun::listUue()
{
    TArchiveLister& l = lister;
    const int64_t length = std::min<int64_t>(size, 32768);
    std::string text(static_cast<std::size_t>(length), '\0');
    if (!read(0, text.data(), text.size()))
        return;
    std::size_t at = 0;
    for (;;) {
        at = text.find("begin ", at);
        if (at == std::string::npos)
            return;
        if (at == 0 || text[at - 1] == '\n')
            break;
        ++at;
    }
    // Past the permission field to the end of the line.
    std::size_t nameAt = text.find(' ', at + 6);
    const std::size_t lineEnd = text.find('\n', at);
    if (nameAt == std::string::npos || (lineEnd != std::string::npos && nameAt > lineEnd))
        return;
    std::string stored
        = text.substr(nameAt + 1, (lineEnd == std::string::npos ? text.size() : lineEnd) - nameAt - 1);
    if (stored.size() > 255)
        stored.resize(255);
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!stored.empty() && blank(stored.back()))
        stored.pop_back();
    stored.erase(stored.begin(), std::find_if_not(stored.begin(), stored.end(), blank));
    l.clearEntry();
    l.FileName = name(stored, NameEncoding::Utf8IfValid);
    l.FileDate = l.UnixToDateTime(m_file->modificationTime());
    l.PackedSize = l.UnpackedSize = size;
    l.ExternalAttr = 0x20;
    l.MethodName = "UUE";
    report(0, false);
}

} // namespace ov
