// The quick search's name matching: the typed text followed by "*" as a file
// mask, compared without regard to case (a..z). "*" matches any run of
// characters, "?" any one, "[...]" one of a set ("a-z" ranges, a leading "!"
// or "^" negates). A "[" without its "]" is an ordinary character, so typing
// one never hides every name.
#pragma once

#include <string>
#include <string_view>

namespace ov {

class TBrowser;

// True when the whole of name matches pattern.
bool quickSearchMatch(std::string_view pattern, std::string_view name);

// The first entry of list, counting from 1, whose full name matches
// text + "*"; 0 when none does.
int quickSearchIndex(const TBrowser& list, const std::string& text);

} // namespace ov
