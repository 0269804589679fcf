// Where the program keeps its files.
//
// The program folder holds ov.ini, the language files, fcolors.ini and ov.mnu.
// It is the running program's own folder when ov.ini can be written there (a
// portable or installed copy, the build tree); otherwise
// $XDG_CONFIG_HOME/orvanta (default ~/.config/orvanta), seeded with the data
// files from the installed data folder. ORVANTA_HOME overrides both.
//
// The Windows folder stands in for the system folder that holds the
// per-user INI files some programs share (ov.ini's MainForm section written
// by the installer, ov_news.ini): $XDG_CONFIG_HOME/orvanta/windows, or
// $ORVANTA_HOME/windows when ORVANTA_HOME is set.
#pragma once

#include <string>
#include <vector>

namespace ov {

// Host paths, each ending without a "/". The folders are created on first use.
std::string programFolder();
std::string windowsFolder();
// The folder of the running executable.
std::string executableFolder();
// $XDG_CONFIG_HOME or ~/.config.
std::string configHome();

// The folders that may hold the shipped data files, in the order they are
// looked in: the running program's folder (the build tree keeps them beside
// ov), <prefix>/share/orvanta beside an installed program, then orvanta in
// each folder of $XDG_DATA_DIRS (default /usr/local/share:/usr/share).
std::vector<std::string> dataFolders();
// Copies each shipped data file (the language files and fcolors.ini) that
// folder lacks from the first of sources holding it. A file already in
// folder is never touched, whatever it holds. Returns the names copied; a
// copy that fails leaves no partial file and is skipped.
std::vector<std::string> seedDataFiles(const std::string& folder, const std::vector<std::string>& sources);

} // namespace ov
