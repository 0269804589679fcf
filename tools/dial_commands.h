// Registers the dialer window as the main window's "Dialer" command (Ctrl+2).
#pragma once

namespace ov {

void registerDialCommands();

} // namespace ov
