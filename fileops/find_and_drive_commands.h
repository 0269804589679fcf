// Registers the find window (Alt+F7), the drive window (Alt+F1, Alt+F2) and
// the system information window (Ctrl+1) as commands of the main window.
#pragma once

namespace ov {

void registerFindAndDriveCommands();

} // namespace ov
