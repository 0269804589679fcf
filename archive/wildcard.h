// Wildcard matching of member names against FileSpec.
#pragma once

#include <string_view>

namespace ov {

enum class MatchScope {
    FullPath, // compare the whole stored path
    NamesOnly // drop the folder parts of both texts first
};

// Compares a pattern and a name. The match is symmetric: "?" and "*" are
// wildcards on either side. "?" matches one character, "*" any run
// (including "\"), other characters match without regard to ASCII case.
// A text ending in "." loses that dot; when one side has no "." and the
// other contains ".*", ".*" is appended to the first (so "*.*" matches
// "README"). An empty text matches only a text starting with "*". In
// NamesOnly scope a non-empty text whose name part is empty matches nothing.
// Runs in O(length(pattern) × length(name)) time.
bool wildcardMatch(std::string_view pattern, std::string_view name, MatchScope scope);

} // namespace ov
