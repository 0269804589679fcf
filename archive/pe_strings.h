// A minimal, bounds-checked reader of the string table of a PE program
// (RT_STRING resources), enough for detection to read the numeric strings
// that self-extractor stubs keep there. Every offset and size read from the
// file is checked before use; a malformed program yields no string.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ov {

class FileLayer;

// The text of string resource `id` (first language found), as UTF-8 with
// non-ASCII characters replaced by "?"; nullopt when the program has no
// such string or is not a well-formed PE file.
std::optional<std::string> readStringResource(FileLayer& file, uint32_t id);

} // namespace ov
