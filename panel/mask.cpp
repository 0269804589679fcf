#include "panel/mask.h"

#include <string>

namespace ov {

namespace {

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// One part of a mask against one part of a name.
bool matchPart(std::string_view mask, std::string_view name)
{
    const auto star = mask.find('*');
    std::string_view counted = mask;
    if (star != std::string_view::npos) {
        counted = mask.substr(0, star);
        if (name.size() < counted.size())
            return false;
    } else if (name.size() != mask.size()) {
        return false;
    }
    for (std::size_t i = 0; i < counted.size(); ++i)
        if (counted[i] != '?' && upper(counted[i]) != upper(name[i]))
            return false;
    return true;
}

bool matchOne(std::string_view name, std::string_view mask)
{
    const auto maskDot = mask.find('.');
    const std::string_view maskBase = mask.substr(0, maskDot);
    const std::string_view maskExt
        = maskDot == std::string_view::npos ? std::string_view() : mask.substr(maskDot + 1);
    // Without a dot the whole name is the base; otherwise try every dot.
    auto nameDot = name.find('.');
    if (nameDot == std::string_view::npos)
        return matchPart(maskExt, std::string_view()) && matchPart(maskBase, name);
    for (; nameDot != std::string_view::npos; nameDot = name.find('.', nameDot + 1))
        if (matchPart(maskExt, name.substr(nameDot + 1)) && matchPart(maskBase, name.substr(0, nameDot)))
            return true;
    return false;
}

} // namespace

bool MatchMask(std::string_view name, std::string_view masks)
{
    std::string text(masks);
    for (char& c : text)
        if (c == ';')
            c = ',';
    if (text.find(',') == std::string::npos)
        return matchOne(name, text);
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view part = std::string_view(text).substr(start, end - start);
        if (!part.empty() && matchOne(name, part))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace ov
