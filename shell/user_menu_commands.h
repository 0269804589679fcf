// Registers the main window's own dialogs with the command registry:
// "UserMenu" (F2, "Menu", "Main menu") and "About" ("About program").
#pragma once

namespace ov {

void registerShellWindowCommands();

} // namespace ov
