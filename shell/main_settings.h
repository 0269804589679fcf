// MainSettings: one field per ov.ini key of the sections Global, MainForm,
// Form_Clipboard, Interface, DialUp and Confirm. Defaults are the values a
// first start without ov.ini has. The two panel sections live in the panels.
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
    int Width = 446; // outer width of the design geometry (client 438)
    int Height = 337; // outer height of the design geometry (client 291)
    int Panel_Width = 0;
    // [Form_Clipboard]
    int Clipboard_Top = 0;
    int Clipboard_Left = 0;
    int Clipboard_Width = 0;
    int Clipboard_Height = 0;
    // [Interface]
    bool Show_BackgroundFon = true;
    bool Interface_Show_ToolBar = true;
    bool Show_ComLine = true;
    bool Show_HotButtons = true;
    // [DialUp]
    bool Redial = true;
    bool CloseOnBusy = false;
    bool CloseOnConnect = false;
    int RedialTime = 10;
    // [Confirm]
    bool ConfirmCopy = true;
    bool ConfirmMove = true;
    bool ConfirmDelete = true;
    bool ConfirmExit = false;
};

} // namespace ov
