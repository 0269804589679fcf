#include "panel/quick_search.h"

#include "panel/browser.h"

#include <vector>

namespace ov {

namespace {

unsigned char fold(char c)
{
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// At pattern[start] == '[': the length of the set up to its "]", or 0 when
// the set is not closed (then "[" is literal).
std::size_t setLength(std::string_view pattern, std::size_t start)
{
    std::size_t i = start + 1;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^'))
        ++i;
    if (i < pattern.size() && pattern[i] == ']') // "]" first is a member
        ++i;
    for (; i < pattern.size(); ++i)
        if (pattern[i] == ']')
            return i - start + 1;
    return 0;
}

bool inSet(std::string_view set, char c)
{
    // set is "[...]" including both brackets.
    std::size_t i = 1;
    bool negate = false;
    if (set[i] == '!' || set[i] == '^') {
        negate = true;
        ++i;
    }
    const unsigned char value = fold(c);
    bool found = false;
    const std::size_t end = set.size() - 1;
    for (bool first = true; i < end; first = false) {
        if (set[i] == ']' && !first)
            break;
        const unsigned char low = fold(set[i]);
        if (i + 2 < end && set[i + 1] == '-') {
            const unsigned char high = fold(set[i + 2]);
            if (value >= low && value <= high)
                found = true;
            i += 3;
        } else {
            if (value == low)
                found = true;
            ++i;
        }
    }
    return found != negate;
}

// One pattern element matching one character; advances past the element.
bool elementMatches(std::string_view pattern, std::size_t& p, char c)
{
    if (pattern[p] == '?') {
        ++p;
        return true;
    }
    if (pattern[p] == '[') {
        const std::size_t length = setLength(pattern, p);
        if (length > 0) {
            const bool match = inSet(pattern.substr(p, length), c);
            p += length;
            return match;
        }
    }
    const bool match = fold(pattern[p]) == fold(c);
    ++p;
    return match;
}

} // namespace

bool quickSearchMatch(std::string_view pattern, std::string_view name)
{
    // Iterative glob with one back-tracking point per "*": linear in practice
    // and never recursive, whatever the user types.
    std::size_t p = 0, n = 0;
    std::size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        std::size_t next = p;
        if (p < pattern.size() && elementMatches(pattern, next, name[n])) {
            p = next;
            ++n;
            continue;
        }
        if (starPattern == std::string_view::npos)
            return false;
        p = starPattern;
        n = ++starName;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

int quickSearchIndex(const TBrowser& list, const std::string& text)
{
    const std::string pattern = text + "*";
    for (int i = 1; i <= list.Count; ++i)
        if (quickSearchMatch(pattern, list.Entries[static_cast<std::size_t>(i - 1)].FullName))
            return i;
    return 0;
}

} // namespace ov
