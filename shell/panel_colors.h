// The colours dialog's engine: the ten colour slots of a panel, the working
// copy the dialog edits, the colour choice of one slot, and the copy to the
// other panel. No Qt, no window.
#pragma once

#include "panel/panel_settings.h"

#include <array>
#include <cstdint>

namespace ov {

struct ColorSlot {
    const char* text; // the list's line
    int32_t PanelSettings::*field; // the panel colour it edits
    int markerX, markerY; // where the "<<" marker points in the preview
};

inline constexpr int ColorSlotCount = 10;
// The slots in list order: background, lines, inactive lines, path, system
// text, size information, cursor, folders, files, selected files.
extern const std::array<ColorSlot, ColorSlotCount> ColorSlots;

using PanelColors = std::array<int32_t, ColorSlotCount>;

// A panel's ten colours, and putting ten colours back.
PanelColors panelColors(const PanelSettings& panel);
void setPanelColors(PanelSettings& panel, const PanelColors& colors);

// The choice of a slot's colour: the colour dialog opens on the panel's
// applied colour of that slot (not the working one), and its answer becomes
// the working colour whatever button closed it, so a cancelled choice puts
// the applied colour back. A system colour (top bit set) that is not
// replaced keeps its stored value. False, asking nothing, for a slot outside
// the ten.
bool chooseSlotColor(const PanelSettings& applied, int slot, PanelColors& working);

// The copy button: the other panel's ten colours become the active panel's
// applied ones.
void copyPanelColors(const PanelSettings& from, PanelSettings& to);

} // namespace ov
