#include "viewers/string_resource.h"

#include "viewers/le_bytes.h"
#include "viewers/utf16.h"

namespace ov {

void TStringResource::AssignTo(std::vector<std::string>& lines)
{
    lines.clear();
    const LeBytes data(RawData());
    // A block given by name has no number; its strings are numbered from 0.
    const int64_t block = HasIntegerName() ? NameValue() : 1;
    uint64_t at = 0;
    for (int index = 0; index < 16; ++index) {
        const auto length = data.u16(at);
        if (!length)
            return;
        at += 2;
        std::u16string text;
        for (uint16_t i = 0; i < *length; ++i, at += 2) {
            const auto unit = data.u16(at);
            if (!unit)
                break;
            text += static_cast<char16_t>(*unit);
        }
        if (text.empty())
            continue;
        const int64_t id = (block - 1) * 16 + index;
        lines.push_back(std::to_string(id) + ",  \"" + utf16ToUtf8(text) + "\"");
    }
}

} // namespace ov
