// Fuzz target version_info: reads the input as a VS_VERSIONINFO block and
// forms the version page's rows from it.
#include "viewers/version_info.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto info = ov::VersionInfo::parse({ data, size });
    if (info) {
        ov::versionRows(*info);
        info->find("\\StringFileInfo\\040904B0\\CompanyName");
    }
    return 0;
}
