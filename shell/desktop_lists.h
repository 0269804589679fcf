// The desktop's own lists that two Commands-menu entries clear: the
// freedesktop Trash (Empty Recycle Bin) and the recently-used documents
// (Clear Recent Docs). Both live under $XDG_DATA_HOME (~/.local/share).
#pragma once

#include <string>

namespace ov {

// $XDG_DATA_HOME, else ~/.local/share.
std::string dataHome();
// The user's trash folder: dataHome() + "/Trash".
std::string trashFolder();
// Removes everything inside the trash's files/ and info/ folders and its
// directorysizes cache; links are removed, never followed. Nothing outside
// the trash folder is touched. False when something could not be removed
// (what could be removed is gone).
bool emptyTrash(const std::string& trash);
// Replaces a recently-used.xbel with an empty list, atomically. A missing
// file is left missing (true: there is nothing to clear).
bool clearRecentDocuments(const std::string& xbelPath);

} // namespace ov
