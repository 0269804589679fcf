// Registers the floppy format as the main window's "FormatFloppy" command:
// the main window's TFormat (full format, drive A:) over the format window.
#pragma once

namespace ov {

void registerFormatCommands();

} // namespace ov
