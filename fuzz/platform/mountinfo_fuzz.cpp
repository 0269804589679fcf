// The mountinfo reader of the floppy formatter over arbitrary text: it
// answers without faults, never yields more mounts than lines, and an
// unescaped mount point is never longer than the text. The placeholder
// filler is fed the same bytes as a template.
#include "platform/floppy_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto mounts = ov::parseMountInfo(text);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (mounts.size() > lines)
        std::abort();
    for (const auto& mount : mounts)
        if (mount.mountPoint.size() > size || mount.source.size() > size)
            std::abort();
    const std::string filled
        = ov::formatText({ "Key", { "a", "b" } }, [&](const std::string&) { return text; });
    if (filled.size() > size * 2 + 2)
        std::abort();
    return 0;
}
