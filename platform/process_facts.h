// Facts of the running process that decide where and how files are made:
// whether it runs with the superuser's rights, and its file-creation mask.
#pragma once

namespace ov {

// True when the effective user is the superuser.
bool runningAsSuperuser();

// The permission bits the process's file-creation mask (umask) removes
// from every file and folder it creates. Read without changing it where the
// system publishes it; otherwise set and restored at once.
unsigned fileCreationMask();

} // namespace ov
