// Registers the Life window as the main window's "Life" command.
#pragma once

namespace ov {

void registerLifeCommands();

} // namespace ov
