#include "viewers/dock_side.h"

#include <algorithm>

namespace ov {

DockSide dockSideFor(int x, int y, int width, int height)
{
    // A degenerate area still gives a side: the clamp keeps both divisors positive.
    width = std::max(width, 2);
    height = std::max(height, 2);
    const double px = std::clamp(x, 1, width - 1);
    const double py = std::clamp(y, 1, height - 1);
    const double ratio = double(width) / double(height);
    const bool aboveFalling = px / py >= ratio; // above the diagonal from the top left
    const bool belowRising = px / (height - py) >= ratio; // right of the diagonal from the bottom left
    if (aboveFalling && belowRising)
        return DockSide::Right;
    if (aboveFalling)
        return DockSide::Top;
    if (belowRising)
        return DockSide::Bottom;
    return DockSide::Left;
}

const char* dockSideName(DockSide side)
{
    switch (side) {
    case DockSide::Left:
        return "Left";
    case DockSide::Top:
        return "Top";
    case DockSide::Right:
        return "Right";
    case DockSide::Bottom:
        return "Bottom";
    }
    return "";
}

} // namespace ov
