// Registers the Tetris window as the main window's "Tetris" command.
#pragma once

namespace ov {

void registerTetrisCommands();

} // namespace ov
