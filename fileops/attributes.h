// The rules of the attributes window, without a window: what it shows for
// an entry and how the new attribute word is built and written.
#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <string>

namespace ov {

class TBrowser;

inline constexpr uint16_t attributeBoxBits = faReadOnly | faArchive | faSysFile | faHidden;

// "dd.mm.yyyy, hh:nn": two-digit day, month, hour and minute, full year.
std::string AttribDateText(const TSystemTime& time);

// The entry's old word with the four bits set or cleared as the boxes say;
// every other bit is kept.
uint16_t NewAttributeWord(uint16_t old, bool readOnly, bool archive, bool system, bool hidden);

enum class AttributeWrite { Unchanged, Written, Failed };

// Writes newWord to the file at windowsPath when it differs from old (the
// whole word is the file's new word; see setAttributes). An unchanged word
// writes nothing.
AttributeWrite WriteAttributeWord(const std::string& windowsPath, uint16_t old, uint16_t newWord);

// The text of a failed change when the language file has none.
inline constexpr const char* CannotSetAttributesText = "Cannot change the attributes";

} // namespace ov
