// The attributes window's rules; see attributes.h.
#include "fileops/attributes.h"

#include "platform/drives.h"

#include <cstdio>

namespace ov {

std::string AttribDateText(const TSystemTime& time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u, %02u:%02u", unsigned(time.wDay), unsigned(time.wMonth),
        unsigned(time.wYear), unsigned(time.wHour), unsigned(time.wMinute));
    return text;
}

uint16_t NewAttributeWord(uint16_t old, bool readOnly, bool archive, bool system, bool hidden)
{
    uint16_t word = old & static_cast<uint16_t>(~attributeBoxBits);
    word |= (readOnly ? faReadOnly : 0) | (archive ? faArchive : 0) | (system ? faSysFile : 0)
        | (hidden ? faHidden : 0);
    return word;
}

AttributeWrite WriteAttributeWord(const std::string& windowsPath, uint16_t old, uint16_t newWord)
{
    if (newWord == old)
        return AttributeWrite::Unchanged;
    const auto host = DriveTable::instance().toHost(normalizeWindowsPath(windowsPath));
    return host && setAttributes(*host, newWord) ? AttributeWrite::Written : AttributeWrite::Failed;
}

} // namespace ov
