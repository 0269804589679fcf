// Registers the copy (F5, and a drag onto the other panel), rename/move (F6)
// and delete (F8) windows as commands of the main window.
#pragma once

namespace ov {

void registerFileOpsCommands();

} // namespace ov
