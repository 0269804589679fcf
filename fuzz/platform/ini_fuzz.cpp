// The INI engine over arbitrary text: every read of every section and key
// the text names must answer, and a write followed by a read must give back
// what was written.
#include "platform/ini_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ov::IniFile ini = ov::IniFile::fromText(text);
    for (const std::string& section : ini.sections()) {
        for (const std::string& key : ini.keys(section)) {
            (void)ini.readString(section, key, "");
            (void)ini.readInteger(section, key, 0);
        }
    }
    const std::string section = size > 0 ? text.substr(0, std::min<size_t>(size, 8)) : "S";
    const std::string value = "v=1;x";
    if (ini.writeString(section, "Key", value)) {
        // A stored value reads back as written, unless the name itself was
        // unusable (the write then refused it).
        if (ini.readString(section, "Key", "") != value)
            std::abort();
    }
    // The text written must parse to the same sections.
    ov::IniFile again = ov::IniFile::fromText(ini.text());
    if (again.sections().size() != ini.sections().size())
        std::abort();
    return 0;
}
