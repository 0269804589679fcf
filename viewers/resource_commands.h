// Registers the resource explorer as the main window's "ResourceExplorer"
// command (Ctrl+7, the tool-bar button, "View file resource").
#pragma once

#include "viewers/resource_form.h"

#include <string>

namespace ov {

class IniFile;

// The window's texts for a language: the built-in English ones for
// "ENGLISH", else the keys of section "Resource Explorer".
TResourceTexts resourceExplorerTexts(const IniFile& language, const std::string& languageName);

void registerResourceExplorerCommands();

} // namespace ov
