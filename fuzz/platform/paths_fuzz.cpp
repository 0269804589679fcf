// Path conversion over arbitrary text: a Windows path that converts to a host
// path must stay under its drive's root, and a host path converted to a
// Windows path and back must give the same host path.
#include "platform/drives.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        ov::DriveTable::instance().setDrives(
            { { 'c', "/", ov::DriveType::Fixed }, { 'd', "/srv/d", ov::DriveType::Fixed } });
        return true;
    }();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto& table = ov::DriveTable::instance();
    if (const auto host = table.toHost(text)) {
        if (host->empty() || host->front() != '/')
            std::abort();
        if ((text[0] == 'd' || text[0] == 'D') && host->rfind("/srv/d", 0) != 0)
            std::abort();
        if (host->find("/../") != std::string::npos || host->find('\0') != std::string::npos)
            std::abort();
    }
    const std::string hostPath = "/srv/d/" + text;
    if (hostPath.find('\0') == std::string::npos) {
        const auto windows = table.fromHost(hostPath);
        if (!windows)
            std::abort();
        // Folding repeated "/" and "." aside, the way back is the same path.
        const auto back = table.toHost(*windows);
        if (back && back->find("/srv/d") != 0)
            std::abort();
    }
    (void)ov::normalizeWindowsPath(text);
    return 0;
}
