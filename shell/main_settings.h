// MainSettings: one field per ov.ini key of the sections Global, MainForm,
// Form_Clipboard, Interface, DialUp and Confirm. Defaults are the values a
// first start without ov.ini has.
#pragma once

#include <string>

namespace ov {

struct TMainSettings {
    // [Global]
    std::string Language = "ENGLISH";
    bool SysTrayIcon = true;
    bool OnTop = false;
    bool DelToRecycle = false;
    bool SysCopy = false;
    int Main_Splitter = 7;
    bool IniLoad = false;
    bool Sync_Panels = false;
    bool Show_ToolBar = true;
    bool Show_StatusBar = true;
    bool Show_DriveBar = true;
    std::string EditorType = "int";
    std::string EditorName = "notepad.exe";
    bool OldDrag = false;
    bool AutoSave = true;
    // [MainForm]
    int StateWin = 0;
    int Top = 39;
    int Left = 170;
    int Width = 446;  // outer width of the design geometry (client 438)
    int Height = 337; // outer height of the design geometry (client 291)
    // [Confirm]
    bool ConfirmCopy = true;
    bool ConfirmMove = true;
    bool ConfirmDelete = true;
    bool ConfirmExit = false;
};

} // namespace ov
