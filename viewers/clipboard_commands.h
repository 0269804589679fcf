// Registers the clipboard viewer as the main window's "Clipboard" command.
#pragma once

namespace ov {

void registerClipboardCommands();

} // namespace ov
