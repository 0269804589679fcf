#include "shell/panel_colors.h"

#include "platform/dialogs.h"

namespace ov {

const std::array<ColorSlot, ColorSlotCount> ColorSlots = { {
    { "Panel background", &PanelSettings::PanelFon, 100, 100 },
    { "Vertical and horyzontal lines", &PanelSettings::LineColor, 5, 150 },
    { "Not active vertical and horyzontal lines", &PanelSettings::LineColorSlave, 140, 150 },
    { "Current path in caption of panel", &PanelSettings::PathColor, 114, 10 },
    { "System text", &PanelSettings::SysTextColor, 107, 220 },
    { "File size information", &PanelSettings::SizeInfoColor, 132, 205 },
    { "File cursor", &PanelSettings::PanelSelectFon, 110, 70 },
    { "Folder in file panel", &PanelSettings::DirectoryColor, 50, 40 },
    { "File in file panel", &PanelSettings::FileColor, 67, 102 },
    { "Select file color", &PanelSettings::FileSelectColor, 60, 117 },
} };

PanelColors panelColors(const PanelSettings& panel)
{
    PanelColors colors {};
    for (int i = 0; i < ColorSlotCount; ++i)
        colors[static_cast<size_t>(i)] = panel.*ColorSlots[static_cast<size_t>(i)].field;
    return colors;
}

void setPanelColors(PanelSettings& panel, const PanelColors& colors)
{
    for (int i = 0; i < ColorSlotCount; ++i)
        panel.*ColorSlots[static_cast<size_t>(i)].field = colors[static_cast<size_t>(i)];
}

bool chooseSlotColor(const PanelSettings& applied, int slot, PanelColors& working)
{
    if (slot < 0 || slot >= ColorSlotCount)
        return false;
    const auto index = static_cast<size_t>(slot);
    int32_t color = applied.*ColorSlots[index].field;
    // A cancelled dialog leaves color as it was.
    prompts().chooseColor(color);
    working[index] = color;
    return true;
}

void copyPanelColors(const PanelSettings& from, PanelSettings& to)
{
    setPanelColors(to, panelColors(from));
}

} // namespace ov
