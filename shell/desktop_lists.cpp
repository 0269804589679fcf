// Emptying the freedesktop Trash and the recently-used list.
#include "shell/desktop_lists.h"

#include "platform/ini_file.h"

#include <cstdlib>
#include <filesystem>

namespace ov {

namespace fs = std::filesystem;

std::string dataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/root") + "/.local/share";
}

std::string trashFolder()
{
    return dataHome() + "/Trash";
}

bool emptyTrash(const std::string& trash)
{
    bool ok = true;
    for (const char* part : { "files", "info" }) {
        const fs::path folder = fs::path(trash) / part;
        std::error_code error;
        // A link in place of the folder itself is not followed.
        if (!fs::is_directory(fs::symlink_status(folder, error)))
            continue;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
            if (removeError)
                ok = false;
        }
        if (error)
            ok = false;
    }
    std::error_code error;
    fs::remove(fs::path(trash) / "directorysizes", error);
    return ok && !error;
}

bool clearRecentDocuments(const std::string& xbelPath)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(xbelPath, error)))
        return true;
    static const char* const emptyList
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<xbel version=\"1.0\"\n"
          "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
          "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
          ">\n"
          "</xbel>\n";
    return writeFileAtomically(xbelPath, emptyList);
}

} // namespace ov
