// Registers the picture viewer as the main window's "ViewPicture" handler.
#pragma once

namespace ov {

void registerPictureViewerCommands();

} // namespace ov
