// The member steps that every extractor takes in the same order around its
// own decoding: the target path (a ".." component refuses the member), the
// OnFileExists and OnBegin questions, and the end report.
#pragma once

#include "archive/dates.h"

#include <cstdint>
#include <string>

namespace ov {

class TExtractorBase;

// The output path of member `name` (display form, "\" separators), or
// empty, after non-fatal 25243 "Invalid file name", when the name has a
// ".." component or leaves nothing to write. With PlaceMember set, the
// member goes where it says, or is passed over silently.
std::string memberTarget(TExtractorBase& x, const std::string& name);

// OnFileExists (when the target exists and the handler is assigned), then
// OnBegin with `recNum`. True when the member is to be written.
bool memberAccepted(TExtractorBase& x, const std::string& target, TDateTime fileDate, int32_t recNum);

// Whether the member's bytes reached their file. A member whose write failed
// was already reported with the write error; it is not reported again as a
// CRC failure.
enum class MemberWrite { Done, Failed };

// OnEnd, or without it non-fatal 25151 for a failed CRC: a damaged member
// is always reported.
void memberEnded(
    TExtractorBase& x, const std::string& target, bool crcPass, MemberWrite write = MemberWrite::Done);

} // namespace ov
