#include "viewers/resource_type.h"

namespace ov {

std::string resourceTypeName(uint32_t id)
{
    static const char* const names[] = { "Unknown0", "CursorEntry", "Bitmap", "IconEntry", "Menu", "Dialog",
        "String", "FontDir", "Font", "Accelerators", "RCData", "MessageTable", "Cursor", "Unknown13", "Icon",
        "Unknown15", "Version" };
    if (id > rtVersion)
        return {};
    return names[id];
}

} // namespace ov
