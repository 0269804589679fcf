// Member names as stored bytes → display text (UTF-8) with "\" separators.
//
// Archives made on DOS and Windows store names in the OEM code page of the
// machine's language; archives made on Unix, and ZIP members flagged UTF-8,
// store UTF-8. Control characters never reach the display: they are shown
// neutralised as "?".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ov {

enum class OemCodePage { Cp437, Cp866, Cp852 };

// The OEM code page of a language file name ("RUSSIAN" → CP866, "POLISH" →
// CP852, anything else CP437); compared without regard to case.
OemCodePage oemCodePageForLanguage(std::string_view language);

enum class NameEncoding {
    Oem, // decode from the OEM code page
    Utf8, // stored as UTF-8 (ZIP flag bit 11)
    Utf8IfValid // from a Unix host: UTF-8 when it is valid, else OEM
};

bool isValidUtf8(std::string_view bytes);

// `name` without a DOS drive: the drive is one ASCII letter and ":" at the
// start ("c:", "C:\x" and "c:/x" lose "c:"). Every other ":" belongs to the
// name ("10:00.log", "1:x", "ab:x" are kept whole).
std::string_view withoutDrive(std::string_view name);

// Decodes `stored` to UTF-8, turns "/" into "\" and neutralises control
// characters. Invalid UTF-8 in a Utf8 name is decoded as OEM instead.
std::string memberName(std::string_view stored, NameEncoding encoding, OemCodePage codePage);

namespace oem {
extern const uint16_t cp437[128];
extern const uint16_t cp866[128];
extern const uint16_t cp852[128];
} // namespace oem

} // namespace ov
