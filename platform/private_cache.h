// The run's private cache folder: where members taken out of archives are
// put so that viewers and programs can open them as ordinary files.
//
// One folder per run, "run-<pid>" under $XDG_CACHE_HOME/orvanta (default
// ~/.cache/orvanta), mode 0700, made on first use. The run removes it at
// exit; a run that died leaves it behind, and the next start removes the
// folders of runs that no longer exist.
#pragma once

#include <string>

namespace ov {

// $XDG_CACHE_HOME/orvanta, else $HOME/.cache/orvanta (host path).
std::string privateCacheRoot();
// The run's folder, made (mode 0700, its parents as needed) on first use;
// empty when it cannot be made. Made again after removePrivateCacheFolder.
std::string privateCacheFolder();
// Removes the run's folder with everything in it; nothing when none was made.
void removePrivateCacheFolder();
// Removes the folders of runs whose process is gone.
void removeStalePrivateCacheFolders();

} // namespace ov
