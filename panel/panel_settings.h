// The settings of one file panel: what the panel draws with and what ov.ini
// keeps for it in its section (Panel_Left or Panel_Right) and in Global's
// Left_Style / Right_Style. The panel holds one of these; the configuration
// file reads and writes it key by key. No Qt, no file access.
//
// The fields carry the panel's own names; a field's ov.ini key is given
// where it differs. Keys the panel has no use for (Show_FilesColor, the
// panel's Show_ToolBar, Font_Color) are kept here too, so that a save writes
// back what was read.
#pragma once

#include "platform/colors.h"

#include <cstdint>
#include <string>

namespace ov {

// A panel's display mode. The values are the numbers ov.ini stores.
enum class ViewMode : int {
    Brief = 1,
    Information = 2,
    Full = 3,
    QuickView = 4,
};

// The mode of a stored number; any number that names no mode (0, negative,
// above 4) reads as brief.
ViewMode viewModeOf(int stored);
// The number ov.ini stores for a mode.
constexpr int storedNumber(ViewMode mode)
{
    return static_cast<int>(mode);
}

// Which of the two panels. The panels' names and the active side stay the
// texts "Left" and "Right"; this is the side as an index.
enum class Side : int {
    Left = 0,
    Right = 1,
};

// "Left" gives the left side; any other name the right one, as the panel
// sections are chosen.
Side sideOfName(const std::string& name);
const char* sideName(Side side);

struct PanelSettings {
    // Section keys Left, Top, Width, Height: the panel's bounds when saved
    // (the main window's layout replaces them right after start-up; Width
    // still caps NameColWidth when read).
    int Left = 0;
    int Top = 0;
    int Width = 640;
    int Height = 453;
    std::string Path = "c:\\";
    int Columns = 3;
    int FontSizeSetting = 8; // key Length
    bool ShowFreeDisk = true; // Show_FreeDisk
    bool ShowFileName = true; // Show_FileName
    bool ShowFileSize = true; // Show_FileSize
    bool ShowFileDate = true; // Show_FileDate
    bool ShowFileColors = true; // Show_FileColors
    bool ShowCurDir = true; // Show_CurDir
    bool ShowHiddenFiles = true; // Show_FileHide
    bool Show_FilesColor = true; // kept, no effect
    bool ShowScrollBar = true; // Show_ScrollBar
    bool Show_ToolBar = true; // kept, no effect
    bool ExecFirst = true; // Param_ExecBegin
    // Key SorthMethod: "srNone", "srName", "srExt", "srSize" or "srDate".
    std::string SortSetting = "srName";
    int32_t FileColor = 0xFFFFFF;
    int32_t DirectoryColor = 0xFFFFFF;
    int32_t FileSelectColor = 0x00FFFF;
    int32_t DirectorySelectColor = 0x000000;
    int32_t PanelFon = 0x800000;
    int32_t PanelSelectFon = 0xA8A800;
    int32_t LineColor = 0xFFFFFF;
    int32_t LineColorSlave = systemColorValue(clBtnFace);
    int32_t SysTextColor = 0x00FFFF;
    int32_t SysInfoText = 0xFFFFFF;
    std::string Font_Name = "MS Sans Serif";
    int Font_Size = 8;
    int32_t Font_Color = 0xFFFFFF; // kept; every text has its own colour
    bool Font_Bold = false; // key Font_Style: "[fsBold]" or "[]"
    int NameColWidth = 103; // Stolbik_File
    int SizeColWidth = 60; // Stolbik_FileType
    int DateColWidth = 75; // Stolbik_Date
    // Global Left_Style / Right_Style.
    ov::ViewMode ViewMode = ov::ViewMode::Brief;

    // Not stored: built-in colours and the Ctrl+I switch.
    int32_t PathColor = 0xFFFFFF;
    int32_t SizeInfoColor = 0x00FF00;
    bool IndentFolders = false;
};

// The built-in settings of a panel on side: brief on the left, full on the
// right, everything else the same.
PanelSettings defaultPanelSettings(Side side);

} // namespace ov
