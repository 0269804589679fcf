// Reading and writing ov.ini without a window: the keys of every section, in
// the order they are written, the load rules (view modes, the name column's
// cap, full mode's single column) and the value encodings (booleans 1/0,
// colours as signed decimal integers, "[fsBold]"/"[]" for the font style).
//
// The main window hands the panels' settings (panel/panel_settings.h) to
// these functions and back; nothing here knows a window.
#pragma once

#include "panel/panel_settings.h"
#include "shell/main_settings.h"

#include <cstdint>
#include <string>

namespace ov {

class IniFile;

// Everything Save_INI writes that is not in TMainSettings.
struct SaveState {
    std::string ProgramFolder;
    std::string ActiveSide = "Left";
    bool Maximized = false;
    int Top = 0, Left = 0, Width = 0, Height = 0;
    PanelSettings LeftPanel;
    PanelSettings RightPanel;
};

// The sort-mode text of a mode: 1 "srName", 2 "srExt", 3 "srSize",
// 4 "srDate", 0 "srNone"; any other mode gives "srName".
std::string sortMethodText(int mode);
// The mode of a sort-mode text, or -1 for any other text.
int sortMethodMode(const std::string& text);

// The section of a panel side: Panel_Left or Panel_Right.
const char* panelSection(Side side);

// Section Global and the view modes: reads the global keys into settings,
// each falling back to its current value, and the two styles (falling back
// to leftStyle/rightStyle as given), then applies the view-mode rules: two
// information panels make the left one brief, a style above 4 makes both
// brief, and any other number that names no mode reads as brief.
void readGlobalSection(
    const IniFile& ini, TMainSettings& settings, ViewMode& leftStyle, ViewMode& rightStyle);
// Sections MainForm, Form_Clipboard, Interface, DialUp and Confirm.
void readOtherSections(const IniFile& ini, TMainSettings& settings);
// One panel section over the panel's current values, then the name column's
// cap (width read here - 30) and the single column of full mode.
void readPanelSection(const IniFile& ini, const std::string& section, PanelSettings& panel);

// Writes every section in order through one batch, so the file is replaced
// once. An empty Language becomes "ENGLISH" first (in settings too). False
// when the file could not be written.
bool writeSettingsFile(IniFile& ini, TMainSettings& settings, const SaveState& state);

} // namespace ov
