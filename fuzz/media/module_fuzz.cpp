// The module layer's load from memory: libmodplug's parsers over any bytes,
// through our size checks, then a short render of what loaded.
#include "media/modlayer/mod_layer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static void* player = [] {
        ::setenv("ORVANTA_AUDIO", "null", 1);
        return ModPlug_CreateEx("hidden|true|width|1|height|1|loop|false");
    }();
    if (!player || size > (1u << 20))
        return 0;
    ModPlug_LoadMemory(player, data, static_cast<int>(size));
    if (ModPlug_IsReady(player))
        ModPlug_GetMaxPosition(player);
    return 0;
}
