// Wildcard masks as the file lists match them.
//
// Several masks are separated by ";" or ","; a name matches when any
// non-empty mask matches. One mask is split at its first "." into a base and
// an extension, both upper-cased (a..z only), and so is the name; the
// extensions are compared first, then the bases: a part with "*" compares
// only the characters before its first "*" (the name part must be at least
// that long), a part without "*" must have the name part's length; "?"
// matches any one character. So "*.*" matches every name, "*" only names
// without an extension, "A?C.TXT" matches abc.txt and "*.t*" a.txt and b.t.
//
// A name with several dots matches when any split of it at one of its dots
// matches: "*.gz" and "*.tar.gz" both match x.tar.gz. For names with at most
// one dot this is the same as splitting at the first dot.
#pragma once

#include <string_view>

namespace ov {

bool MatchMask(std::string_view name, std::string_view masks);

} // namespace ov
