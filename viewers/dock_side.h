// The side of the editor's client area a dragged toolbar docks to: the two
// diagonals of the area divide it into four triangles.
#pragma once

namespace ov {

enum class DockSide { Left, Top, Right, Bottom };

// The side for the point (x, y) of a client area of width × height; the
// point is first clamped to 1..width − 1 and 1..height − 1.
DockSide dockSideFor(int x, int y, int width, int height);

// "Left", "Top", "Right", "Bottom": the caption the toolbar shows while dragged.
const char* dockSideName(DockSide side);

} // namespace ov
