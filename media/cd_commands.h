// Registers the CD player as the main window's "CDPlayer" command.
#pragma once

namespace ov {

void registerCdCommands();

} // namespace ov
