// The main menu's entries, in menu order.
#include "shell/menu_table.h"

namespace ov {

const std::vector<MenuEntry>& mainMenuTable()
{
    // menu, name, caption, shortcut, command, visible, enabled, separator, translated
    static const std::vector<MenuEntry> table = {
        { "", "OV", "&OV", "", "", true, true, false, false },
        { "OV", "OV_About", "About program", "", "About", true, true, false, true },
        { "OV", "OV_Info", "Information", "", "Information", true, true, false, true },
        { "OV", "OV_Help", "Help system", "F1", "Help", true, true, false, true },
        { "OV", "OV_News", "News from Internet", "", "News", true, true, false, true },
        { "OV", "", "-", "", "", true, true, true, false },
        { "OV", "OV_Tetris", "Tetris game", "", "Tetris", true, true, false, true },
        { "OV", "OV_Life", "Life game", "", "Life", true, true, false, true },
        { "OV", "", "-", "", "", true, true, true, false },
        { "OV", "OV_Exit", "Exit", "F10", "Exit", true, true, false, true },
        { "", "File", "&File", "", "", true, true, false, true },
        { "File", "File_Menu", "Menu", "F2", "UserMenu", true, true, false, true },
        { "File", "File_Viewer", "View", "F3", "View", true, true, false, true },
        { "File", "File_Editor", "Edit", "F4", "Edit", true, true, false, true },
        { "File", "File_Copy", "Copy", "F5", "Copy", true, true, false, true },
        { "File", "File_Rename", "Ren/Move", "F6", "Move", true, true, false, true },
        { "File", "File_NewDir", "Create folder", "F7", "MkDir", true, true, false, true },
        { "File", "File_DelFile", "Delete", "F8", "Delete", true, true, false, true },
        { "File", "", "-", "", "", true, true, true, false },
        { "File", "File_FindFile", "Find file", "Alt+F7", "FindFile", true, true, false, true },
        { "File", "File_Attrib", "Attributes", "Ctrl+A", "Attributes", true, true, false, true },
        { "File", "File_Createfile", "Create new file", "Shift+F4", "CreateFile", true, true, false, true },
        { "File", "", "-", "", "", true, true, true, false },
        { "File", "File_Add_Arc", "Add to archive", "Shift+F1", "", false, false, false, true },
        { "File", "File_Extract_Arc", "Extract files", "Shift+F2", "Extract", true, true, false, true },
        { "", "Utils", "&Utilities", "", "", true, true, false, true },
        { "Utils", "Utils_System", "About system", "Ctrl+1", "SystemInfo", true, true, false, true },
        { "Utils", "Utils_Dialer", "Internet dialer", "Ctrl+2", "Dialer", true, true, false, false },
        { "Utils", "Utils_Clipboard", "View clipboard", "Ctrl+3", "Clipboard", true, true, false, true },
        { "Utils", "Utils_AudioPlayer", "CD-Player", "Ctrl+4", "CDPlayer", true, true, false, true },
        { "Utils", "Utils_Calc", "Calculator", "Ctrl+5", "Calculator", true, true, false, true },
        { "Utils", "Utils_ChangeVideo", "Change video mode", "Ctrl+6", "VideoMode", true, true, false, true },
        { "Utils", "Utils_ResExplorer", "Resource Explorer", "Ctrl+7", "ResourceExplorer", true, true, false,
            false },
        { "Utils", "", "-", "", "", true, true, true, false },
        { "Utils", "Utils_MSDOS", "MS-DOS window", "Ctrl+8", "MSDOS", true, true, false, true },
        { "Utils", "Utils_Media", "MediaPlayer", "Ctrl+9", "MediaPlayer", true, true, false, true },
        { "Utils", "Utils_Format", "Format floppy drive", "", "FormatFloppy", true, true, false, true },
        { "", "Commands", "&Commands", "", "", true, true, false, true },
        { "Commands", "Command_PlayMusic", "Play music file", "", "View", true, true, false, true },
        { "Commands", "Command_PlayLastMusic", "Play last file", "Ctrl+A", "PlayLast", true, true, false,
            true },
        { "Commands", "Command_StopMusic", "Stop music", "Ctrl+M", "StopMusic", true, true, false, true },
        { "Commands", "Command_WhatPlay", "What playing", "Ctrl+W", "WhatPlaying", true, true, false, true },
        { "Commands", "", "-", "", "", true, true, true, false },
        { "Commands", "Command_FHistory", "Folders history", "", "FoldersHistory", true, true, false, true },
        { "Commands", "Command_ViewHistory", "Commands history", "", "", false, true, false, true },
        { "Commands", "Command_ClearRecycle", "Empty Recycle Bin", "", "EmptyRecycleBin", true, true, false,
            true },
        { "Commands", "Command_ClearDocs", "Clear Recent Docs", "", "ClearRecentDocs", true, true, false,
            true },
        { "Commands", "", "-", "", "", true, true, true, false },
        { "Commands", "Command_SelGroup", "Select group", "", "SelectGroup", true, true, false, true },
        { "Commands", "Command_UnSelAll", "Unselect all", "", "UnselectAll", true, true, false, true },
        { "Commands", "Command_InvertSel", "Invert selection", "", "InvertSelection", true, true, false,
            true },
        { "Commands", "", "-", "", "", true, true, true, false },
        { "Commands", "Command_ViewResource", "View file resource", "", "ResourceExplorer", true, true, false,
            true },
        { "", "Panel", "&Panel", "", "", true, true, false, true },
        { "Panel", "Panel_Change", "Cnange panel", "Tab", "ChangePanel", false, true, false, false },
        { "Panel", "Panel_Left", "Active left", "", "ActiveLeft", true, true, false, true },
        { "Panel", "Panel_Right", "Active right", "", "ActiveRight", true, true, false, true },
        { "Panel", "", "-", "", "", true, true, true, false },
        { "Panel", "Panel_ShowFiles", "Show files", "Alt+1", "ShowFiles", true, true, false, true },
        { "Panel", "Panel_ShowExtView", "Extended view", "Alt+2", "ExtendedView", true, true, false, true },
        { "Panel", "Panel_Show_Info", "Information", "Alt+3", "InfoView", true, true, false, true },
        { "Panel", "Panel_ShowQuickView", "Quick view", "Alt+4", "QuickView", true, true, false, true },
        { "Panel", "", "-", "", "", true, true, true, false },
        { "Panel", "Panel_UpdatePanel", "Update panel", "Ctrl+R", "UpdatePanel", true, true, false, true },
        { "Panel", "Panel_SortMode", "Sort modes", "Ctrl+F12", "SortModes", true, true, false, true },
        { "Panel", "Panel_ChangeDrive", "Change drive", "", "ChangeDrive", true, true, false, true },
        { "", "Config", "C&onfiguration", "", "", true, true, false, true },
        { "Config", "Config_Main", "Main options", "Ctrl+P", "MainOptions", true, true, false, true },
        { "Config", "Config_Color", "Set Colors", "Ctrl+C", "SetColors", true, true, false, true },
        { "Config", "Config_Font", "Change fonts", "Ctrl+F", "ChangeFonts", true, true, false, true },
        { "Config", "Config_Associations", "Associations", "Ctrl+A", "", false, false, false, false },
        { "Config", "Config_Menu", "Main menu", "Ctrl+M", "UserMenu", true, true, false, true },
        { "Config", "Config_FilesColors", "Files highlighing", "", "FilesColors", true, true, false, true },
        { "Config", "Config_ToolBar", "Configure toolbars", "Ctrl+T", "", true, true, false, true },
        { "Config_ToolBar", "Config_ShowToolBar", "Show tool bar", "", "ShowToolBar", true, true, false,
            true },
        { "Config_ToolBar", "Config_ShowDriversBar", "Show drives bar", "", "ShowDrivesBar", true, true,
            false, true },
        { "Config_ToolBar", "Config_ShowStatusBar", "Show status bar", "", "ShowStatusBar", true, true, false,
            true },
        { "Config_ToolBar", "Config_ConfigToolBar", "Configure tool bar", "", "", false, false, false, true },
        { "Config", "Config_SyncPanels", "Sinchronisation panels", "", "", false, false, false, true },
        { "Config", "", "-", "", "", true, true, true, false },
        { "Config", "Config_Reset", "Set default configuration", "", "SetDefaultConfig", true, true, false,
            true },
        { "Config", "Config_SaveConfig", "Save configuration", "", "SaveConfig", true, true, false, true },
        { "", "Plugins", "P&lugins", "", "", false, true, false, false },
        { "", "HotButtons", "Hot buttons", "", "", false, true, false, false },
        { "HotButtons", "HotButtons_FastFind", "Fast find file", "Alt+X", "QuickSearchToggle", false, true,
            false, false },
    };
    return table;
}

const MenuEntry* shortcutOwner(const std::string& shortcut)
{
    for (const MenuEntry& entry : mainMenuTable()) {
        if (!entry.shortcut.empty() && entry.shortcut == shortcut)
            return &entry;
    }
    return nullptr;
}

} // namespace ov
