// Process facts; see process_facts.h.
#include "platform/process_facts.h"

#include "platform/system_facts.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

bool runningAsSuperuser()
{
    return ::geteuid() == 0;
}

unsigned fileCreationMask()
{
    // Linux 4.7 and later publish the mask; reading it cannot race with
    // another thread creating a file, as setting and restoring it would.
    const std::string status = readSmallText("/proc/self/status");
    const std::size_t at = status.find("\nUmask:");
    if (at != std::string::npos) {
        char* end = nullptr;
        const unsigned long mask = std::strtoul(status.c_str() + at + 7, &end, 8);
        if (end != status.c_str() + at + 7)
            return static_cast<unsigned>(mask & 0777);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<unsigned>(mask & 0777);
}

} // namespace ov
