// CdTocNames: the file names of a cdrdao TOC file made absolute. libcdio
// looks up the audio and data files a TOC names relative to the process's
// working folder, not the TOC's own folder, so a TOC opened from anywhere
// else lists nothing. The CD device opens a copy whose FILE, AUDIOFILE and
// DATAFILE names are absolute instead.
//
// Only those three statements' quoted names change; comments ("//" to the
// end of the line), other strings (CD-TEXT) and every other byte are kept
// as they are. A name is left alone when it is already absolute or empty.
#pragma once

#include <string>
#include <string_view>

namespace ov {

// The TOC text with relative file names resolved against folder (a host
// path without a trailing slash). changed tells whether any name changed.
std::string absoluteTocNames(std::string_view text, const std::string& folder, bool* changed = nullptr);

} // namespace ov
