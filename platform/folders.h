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

namespace ov {

// Host paths, each ending without a "/". The folders are created on first use.
std::string programFolder();
std::string windowsFolder();
// The folder of the running executable.
std::string executableFolder();
// $XDG_CONFIG_HOME or ~/.config.
std::string configHome();

} // namespace ov
