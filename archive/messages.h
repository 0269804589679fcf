// The archive message table: the text of every numbered message the archive
// components raise through OnError, as the string table holds it (typos
// included: handlers and users match on them). The codes themselves are in
// archive/message_codes.h, shared with the decoders.
#pragma once

#include "archive/message_codes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ov {

// The text of message `code`, or an empty view for a code the table lacks.
std::string_view archiveMessageText(int32_t code);

// True for the error range (25100..25450); the rest are general messages.
inline bool isArchiveErrorCode(int32_t code)
{
    return code >= 25100 && code <= 25450;
}

// The archive message box's block for one message: fileName, then
// "Error#: " and the code, then "Error: " and the code's text; for the
// general messages (26500..26999) "General Message: " and "Messge: "
// instead. Each part is followed by two lone carriage returns, which the
// box shows as line breaks.
std::string archiveMessageBlock(const std::string& fileName, int32_t code);

} // namespace ov
