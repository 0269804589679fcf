// Reading and writing ov.ini without a window: the keys of every section, in
// the order they are written, the load rules (view modes, the name column's
// cap, full mode's single column) and the value encodings (booleans 1/0,
// colours as signed decimal integers, "[fsBold]"/"[]" for the font style).
//
// The main window moves values between these records and its panels; the
// records keep the keys a panel has no field for (Show_FilesColor, the
// panel's Show_ToolBar, Font_Color) so that they survive a save.
#pragma once

#include "shell/main_settings.h"

#include <cstdint>
#include <string>

namespace ov {

class IniFile;

// The keys of one panel section, Panel_Left or Panel_Right.
struct PanelSettings {
    int Left = 0;
    int Top = 0;
    int Width = 640;
    int Height = 453;
    std::string Path = "c:\\";
    int Columns = 3;
    int Length = 8;
    bool Show_FreeDisk = true;
    bool Show_FileName = true;
    bool Show_FileSize = true;
    bool Show_FileDate = true;
    bool Show_FileColors = true;
    bool Show_CurDir = true;
    bool Show_FileHide = true;
    bool Show_FilesColor = true;
    bool Show_ScrollBar = true;
    bool Show_ToolBar = true;
    bool Param_ExecBegin = true;
    int SortMode = 1; // 0 none, 1 name, 2 extension, 3 size, 4 date
    int32_t FileColor = 0xFFFFFF;
    int32_t DirectoryColor = 0xFFFFFF;
    int32_t FileSelectColor = 0x00FFFF;
    int32_t DirectorySelectColor = 0x000000;
    int32_t PanelFon = 0x800000;
    int32_t PanelSelectFon = 0xA8A800;
    int32_t LineColor = 0xFFFFFF;
    int32_t LineColorSlave = static_cast<int32_t>(0x8000000F);
    int32_t SysTextColor = 0x00FFFF;
    int32_t SysInfoText = 0xFFFFFF;
    std::string Font_Name = "MS Sans Serif";
    int Font_Size = 8;
    int32_t Font_Color = 0xFFFFFF;
    bool Font_Bold = false;
    int Stolbik_File = 103;
    int Stolbik_FileType = 60;
    int Stolbik_Date = 75;
    // The panel's view mode (Global Left_Style / Right_Style), needed by the
    // full-mode column rule.
    int ViewMode = 1;
};

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

// Section Global and the view modes: reads the global keys into settings,
// each falling back to its current value, and the two styles (falling back
// to leftStyle/rightStyle as given), then applies the view-mode rules: two
// information panels make the left one brief, a style above 4 makes both
// brief.
void readGlobalSection(const IniFile& ini, TMainSettings& settings, int& leftStyle, int& rightStyle);
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
