// Registers the video mode window as the main window's "VideoMode" command
// (Ctrl+6): made per use over XRandR, shown modally, freed.
#pragma once

namespace ov {

void registerVideoCommands();

} // namespace ov
