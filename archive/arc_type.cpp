#include "archive/arc_type.h"

namespace ov {

std::string_view arcTypeName(TArcType type)
{
    static constexpr std::string_view names[] = {
        "atNA",
        "atUnsupported",
        "atFileOpenErr",
        "atUnknown",
        "atARC",
        "atArcExe",
        "atARJ",
        "atArjExe",
        "atBH",
        "atBHExe",
        "atCAB",
        "atGZip",
        "atHA",
        "atLHA",
        "atLhaExe",
        "atLZH",
        "atLzhExe",
        "atPAK",
        "atPakExe",
        "atRAR",
        "atRarExe",
        "atTAR",
        "atUUE",
        "atZIP",
        "atZipExe",
        "atZip250",
        "atZip250Exe",
        "atZOO",
    };
    return type < sizeof names / sizeof names[0] ? names[type] : std::string_view("?");
}

} // namespace ov
