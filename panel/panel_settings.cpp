// The panel settings' numbers and names.
#include "panel/panel_settings.h"

namespace ov {

ViewMode viewModeOf(int stored)
{
    switch (stored) {
    case storedNumber(ViewMode::Information):
        return ViewMode::Information;
    case storedNumber(ViewMode::Full):
        return ViewMode::Full;
    case storedNumber(ViewMode::QuickView):
        return ViewMode::QuickView;
    default:
        return ViewMode::Brief;
    }
}

Side sideOfName(const std::string& name)
{
    return name == "Left" ? Side::Left : Side::Right;
}

const char* sideName(Side side)
{
    return side == Side::Left ? "Left" : "Right";
}

PanelSettings defaultPanelSettings(Side side)
{
    PanelSettings settings;
    settings.ViewMode = side == Side::Right ? ViewMode::Full : ViewMode::Brief;
    return settings;
}

} // namespace ov
