// The folder history; see folder_history.h.
#include "fileops/folder_history.h"

#include "platform/drives.h"
#include "platform/host_file.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace ov {

FolderHistory& FolderHistory::shared()
{
    static FolderHistory history;
    return history;
}

namespace {

// The kinds Enter opens as an archive; any other file is never entered.
bool enteredAsArchive(std::string_view path)
{
    const std::size_t slash = path.rfind('\\');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    static constexpr std::array<std::string_view, 7> kinds { "ZIP", "RAR", "LZH", "ARC", "HA", "CAB", "ARJ" };
    const std::string ext = upperAscii(path.substr(dot + 1));
    return std::find(kinds.begin(), kinds.end(), ext) != kinds.end();
}

} // namespace

ArchivePlace ArchivePlaceOf(const std::string& path)
{
    ArchivePlace place;
    // "c:\" and shorter hold no component.
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\')
        return place;
    for (std::size_t end = path.find('\\', 3);; end = path.find('\\', end + 1)) {
        const std::string candidate = path.substr(0, end);
        if (candidate.size() > 3 && enteredAsArchive(candidate)) {
            const auto host = DriveTable::instance().toHost(candidate);
            if (host && isRegularHostFile(*host)) {
                place.archive = candidate;
                place.holder = candidate.substr(0, candidate.rfind('\\') + 1);
                if (end != std::string::npos)
                    place.folder = path.substr(end + 1);
                if (!place.folder.empty() && place.folder.back() != '\\')
                    place.folder += '\\';
                return place;
            }
        }
        if (end == std::string::npos)
            return place;
    }
}

} // namespace ov
