// The symmetric wildcard match as a dynamic programme over suffix pairs
// (i, j): a "*" on either side either stops matching (advance past it) or
// swallows one character of the other side. Each pair is decided once, so a
// name full of "*" costs O(n·m), never the exponential backtracking of the
// recursive form.
#include "archive/wildcard.h"

#include <string>
#include <vector>

namespace ov {

namespace {

std::string_view namePart(std::string_view text)
{
    const auto slash = text.find_last_of("\\/");
    return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool plainMatch(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    // row[j] = match(a[i..], b[j..]) for the current i, filled from the end.
    std::vector<char> next(m + 1), row(m + 1);
    // i == n: the rest of b must be all "*".
    next[m] = 1;
    for (std::size_t j = m; j-- > 0;)
        next[j] = b[j] == '*' && next[j + 1];
    for (std::size_t i = n; i-- > 0;) {
        // j == m: the rest of a must be all "*".
        row[m] = a[i] == '*' && next[m];
        for (std::size_t j = m; j-- > 0;) {
            const char x = a[i];
            const char y = b[j];
            bool result;
            if (x == '*')
                result = next[j] || row[j + 1];
            else if (y == '*')
                result = row[j + 1] || next[j];
            else
                result = (x == '?' || y == '?' || lowerAscii(x) == lowerAscii(y)) && next[j + 1];
            row[j] = result;
        }
        std::swap(row, next);
    }
    return next[0];
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name, MatchScope scope)
{
    if (scope == MatchScope::NamesOnly) {
        const std::string_view patternName = namePart(pattern);
        const std::string_view nameName = namePart(name);
        if ((!pattern.empty() && patternName.empty()) || (!name.empty() && nameName.empty()))
            return false;
        pattern = patternName;
        name = nameName;
    }
    std::string a(pattern);
    std::string b(name);
    if (!a.empty() && a.back() == '.')
        a.pop_back();
    if (!b.empty() && b.back() == '.')
        b.pop_back();
    if (a.find('.') == std::string::npos && b.find(".*") != std::string::npos)
        a += ".*";
    else if (b.find('.') == std::string::npos && a.find(".*") != std::string::npos)
        b += ".*";
    if (a.empty())
        return !b.empty() && b[0] == '*';
    if (b.empty())
        return a[0] == '*';
    return plainMatch(a, b);
}

} // namespace ov
