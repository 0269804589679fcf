// The user menu reader on arbitrary bytes. The first byte picks the language
// whose code page decodes a file that is not UTF-8; the rest is the file.
// Every accepted file must come back with the same entries through the
// writer, and the entries of a malformed one must be whole entries.
#include "shell/user_menu.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const languages[] = { "ENGLISH", "RUSSIAN", "POLISH", "OTHER" };
    const std::string language = languages[data[0] % 4];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const ov::MenuFile file = ov::readUserMenu(bytes, language);
    if (!file.ok) {
        if (file.errorLine < 1 || file.reason.empty())
            std::abort();
        return 0;
    }
    const ov::MenuFile again = ov::readUserMenu(ov::writeUserMenu(file.entries), language);
    if (!again.ok || again.entries != file.entries)
        std::abort();
    return 0;
}
