// Folders held by descriptor: the calls a writer needs to go down a tree
// one folder at a time relative to its parent, so that a link standing
// where a folder should be is found and refused instead of followed.
//
// A path the user gave is resolved once (links in it followed, as the user
// meant them); every step below it is taken from a descriptor.
#pragma once

#include "platform/unique_fd.h"

#include <string>

namespace ov {

// Makes hostFolder and its missing parents, then returns its real path
// (every link and "." or ".." resolved); empty when it cannot be made or
// resolved.
std::string makeAndResolveHostFolder(const std::string& hostFolder);

// Opens the folder hostFolder (links followed) for use as the base of the
// calls below; an invalid UniqueFd with errno set on failure.
UniqueFd openHostFolder(const std::string& hostFolder);

// Makes the folder `name` (one path component) in the folder open as
// folderFd when it is missing, with the create mode 0777 less the umask,
// and opens it without following a link: a link, a file or anything else
// that is not a folder at that name gives an invalid UniqueFd (errno
// ENOTDIR or ELOOP), as does a failure to make it.
UniqueFd enterFolderAt(int folderFd, const std::string& name);

// Clears the read-only attribute of the regular file `name` in the folder
// open as folderFd: gives its owner write permission, a link never
// followed. false with errno set when there is no such regular file, when
// its owner may write it already (EACCES: nothing to clear) or when its
// mode cannot be changed.
bool allowOwnerWriteAt(int folderFd, const std::string& name);

} // namespace ov
