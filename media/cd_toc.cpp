// The TOC name rewriting; see cd_toc.h. The lexical rules are those of
// cdrdao's TOC files: keywords are words of letters, digits and
// underscores, strings are double-quoted with backslash escapes, and "//"
// starts a comment outside a string.
#include "media/cd_toc.h"

namespace ov {

namespace {

bool wordCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool namesFile(std::string_view word)
{
    return word == "FILE" || word == "AUDIOFILE" || word == "DATAFILE";
}

// The end of the string starting at the quote at `at` (the index after its
// closing quote, or the text's end for an unclosed one).
std::size_t stringEnd(std::string_view text, std::size_t at)
{
    std::size_t i = at + 1;
    while (i < text.size() && text[i] != '"')
        i += text[i] == '\\' && i + 1 < text.size() ? 2 : 1;
    return i < text.size() ? i + 1 : text.size();
}

// A folder as the inside of a TOC string.
std::string quoted(const std::string& folder)
{
    std::string out;
    for (char c : folder) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

} // namespace

std::string absoluteTocNames(std::string_view text, const std::string& folder, bool* changed)
{
    std::string out;
    out.reserve(text.size() + 256);
    bool any = false;
    bool expectName = false; // the last word was FILE, AUDIOFILE or DATAFILE
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            const std::size_t end = text.find('\n', i);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            out.append(text.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (c == '"') {
            const std::size_t end = stringEnd(text, i);
            const bool closed = end - i >= 2 && text[end - 1] == '"';
            const std::string_view inside = text.substr(i + 1, end - i - (closed ? 2 : 1));
            const bool relative = !inside.empty() && inside.front() != '/';
            if (expectName && relative) {
                out += '"';
                out += quoted(folder);
                out += '/';
                out.append(text.substr(i + 1, end - i - 1));
                any = true;
            } else {
                out.append(text.substr(i, end - i));
            }
            expectName = false;
            i = end;
            continue;
        }
        if (wordCharacter(c)) {
            std::size_t end = i;
            while (end < text.size() && wordCharacter(text[end]))
                ++end;
            const std::string_view word = text.substr(i, end - i);
            expectName = namesFile(word);
            out.append(word);
            i = end;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    if (changed)
        *changed = any;
    return out;
}

} // namespace ov
