// Registers the settings dialogs with the command registry: "MainOptions"
// (Ctrl+P, also the tray menu's "Configuration"), "SetColors" (Ctrl+C) and
// "ChangeFonts" (Ctrl+F). Each dialog is created for one use and freed.
#pragma once

namespace ov {

void registerOptionsCommands();

} // namespace ov
