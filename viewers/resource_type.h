// The standard resource type ids 0..16 and their display names.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

enum TResourceType : uint32_t {
    rtUnknown0 = 0,
    rtCursorEntry = 1,
    rtBitmap = 2,
    rtIconEntry = 3,
    rtMenu = 4,
    rtDialog = 5,
    rtString = 6,
    rtFontDir = 7,
    rtFont = 8,
    rtAccelerators = 9,
    rtRCData = 10,
    rtMessageTable = 11,
    rtCursor = 12,
    rtUnknown13 = 13,
    rtIcon = 14,
    rtUnknown15 = 15,
    rtVersion = 16,
};

// The enumeration name without its "rt" prefix ("Bitmap", "RCData"); an
// empty text for ids above 16.
std::string resourceTypeName(uint32_t id);

} // namespace ov
