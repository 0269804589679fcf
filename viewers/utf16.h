// UTF-16 to UTF-8 conversion for names and strings stored in executables.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

// Converts UTF-16 code units to UTF-8. Surrogate pairs become one code
// point; a lone surrogate is kept as its own three-byte sequence (the
// generalised UTF-8 form) so that no code unit is ever lost.
std::string utf16ToUtf8(const std::u16string& text);

} // namespace ov
