// The Recycle Bin: the freedesktop.org Trash (version 1.0 of its layout).
//
// A deleted path is renamed into files/ of the trash of its own filesystem,
// beside an info/<name>.trashinfo that records its original path and the
// deletion date, so the desktop's own trash shows and restores it:
//   - the home trash $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) for
//     paths on the filesystem that holds it, with an absolute Path;
//   - otherwise the trash at the top of the path's filesystem: $topdir/.Trash/$uid
//     when the administrator made $topdir/.Trash (a real folder with the
//     sticky bit), else $topdir/.Trash-$uid, with Path relative to $topdir.
// Nothing is ever copied into a trash: when the rename cannot be made, the
// path stays where it was and the call reports why. There is no fallback to
// a permanent delete.
#pragma once

#include <string>

namespace ov {

// Moves hostPath (a file, link or whole folder; never followed) into the
// trash. False, with a readable reason in error, when the path stays.
bool moveToTrash(const std::string& hostPath, std::string* error = nullptr);

// The home trash folder ($XDG_DATA_HOME/Trash or ~/.local/share/Trash).
std::string homeTrashFolder();

// Percent-encodes a path the way file: URLs are written (RFC 2396): every
// byte but unreserved characters and "/" becomes %XX.
std::string encodeTrashPath(const std::string& path);

} // namespace ov
