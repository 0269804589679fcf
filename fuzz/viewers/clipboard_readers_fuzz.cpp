// The clipboard viewer's readers of outside data: the program's palette
// format, text/uri-list and a component's stream. The first byte picks the
// reader; a palette that reads back must write to the same entries again.
#include "viewers/clipboard_format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    if (data[0] & 1) {
        const auto colours = ov::readClipboardPalette(bytes);
        if (colours) {
            if (colours->size() > 256)
                __builtin_trap();
            if (ov::readClipboardPalette(ov::writeClipboardPalette(*colours)) != colours)
                __builtin_trap();
        }
    } else if (data[0] & 2) {
        const auto text = ov::clipboardComponentText(bytes);
        if (text && !bytes.startsWith("TPF0"))
            __builtin_trap();
    } else {
        const QStringList entries = ov::readUriList(bytes);
        if (entries.size() > bytes.count('\n') + 1)
            __builtin_trap();
    }
    return 0;
}
