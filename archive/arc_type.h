// The archive kinds, in the order the components number them.
#pragma once

#include <cstdint>
#include <string_view>

namespace ov {

enum TArcType : uint8_t {
    atNA,
    atUnsupported,
    atFileOpenErr,
    atUnknown,
    atARC,
    atArcExe,
    atARJ,
    atArjExe,
    atBH,
    atBHExe,
    atCAB,
    atGZip,
    atHA,
    atLHA,
    atLhaExe,
    atLZH,
    atLzhExe,
    atPAK,
    atPakExe,
    atRAR,
    atRarExe,
    atTAR,
    atUUE,
    atZIP,
    atZipExe,
    atZip250,
    atZip250Exe,
    atZOO,
};

// "atZIP", "atArjExe", … ; "?" outside the enumeration.
std::string_view arcTypeName(TArcType type);

inline bool isZipKind(TArcType t)
{
    return t >= atZIP && t <= atZip250Exe;
}
inline bool isLhaKind(TArcType t)
{
    return t >= atLHA && t <= atLzhExe;
}

} // namespace ov
