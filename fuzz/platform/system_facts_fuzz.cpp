// The "About system" parsers over arbitrary text: each must answer, the
// processor is never empty, the computer falls back to "IBM PC/AT", and the
// operating system text keeps its "name major.minor (Build n" form.
#include "platform/system_facts.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (ov::processorFromCpuInfo(text).empty())
        std::abort();
    if (ov::computerFromProductName(text).empty())
        std::abort();
    const std::string pretty = ov::prettyNameFromOsRelease(text);
    const std::string release = text.substr(0, text.find('\n'));
    const std::string os = ov::operatingSystemText("Linux", release, pretty);
    if (os.rfind("Linux ", 0) != 0 || os.find(" (Build ") == std::string::npos || os.back() != ')')
        std::abort();
    return 0;
}
