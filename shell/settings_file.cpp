// ov.ini's sections, read and written key by key in table order.
#include "shell/settings_file.h"

#include "platform/ini_file.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <variant>

namespace ov {

namespace {

const char* const SortTexts[] = { "srNone", "srName", "srExt", "srSize", "srDate" };

} // namespace

std::string sortMethodText(int mode)
{
    if (mode < 0 || mode > 4)
        return "srName";
    return SortTexts[mode];
}

int sortMethodMode(const std::string& text)
{
    for (int mode = 0; mode <= 4; ++mode) {
        if (text == SortTexts[mode])
            return mode;
    }
    return -1;
}

const char* panelSection(Side side)
{
    return side == Side::Left ? "Panel_Left" : "Panel_Right";
}

void readGlobalSection(const IniFile& ini, TMainSettings& s, ViewMode& leftMode, ViewMode& rightMode)
{
    const char* g = "Global";
    s.IniLoad = ini.readBool(g, "IniLoad", s.IniLoad);
    s.SysTrayIcon = ini.readBool(g, "SysTrayIcon", s.SysTrayIcon);
    s.OnTop = ini.readBool(g, "OnTop", s.OnTop);
    s.Sync_Panels = ini.readBool(g, "Sync_Panels", s.Sync_Panels);
    s.DelToRecycle = ini.readBool(g, "DelToRecycle", s.DelToRecycle);
    s.SysCopy = ini.readBool(g, "SysCopy", s.SysCopy);
    int leftStyle = ini.readInteger(g, "Left_Style", storedNumber(leftMode));
    int rightStyle = ini.readInteger(g, "Right_Style", storedNumber(rightMode));
    s.Language = ini.readString(g, "Language", "ENGLISH");
    // The gap sizes the drawing between the panels: a stored 100000 would
    // leave no room for either.
    s.Main_Splitter = std::clamp(ini.readInteger(g, "Main_Splitter", 7), 0, 100);
    s.Show_ToolBar = ini.readBool(g, "Show_ToolBar", true);
    s.Show_StatusBar = ini.readBool(g, "Show_StatusBar", true);
    s.Show_DriveBar = ini.readBool(g, "Show_DriveBar", true);
    s.EditorType = ini.readString(g, "EditorType", "int");
    s.EditorName = ini.readString(g, "EditorName", "notepad.exe");
    s.OldDrag = ini.readBool(g, "OldDrag", false);
    s.AutoSave = ini.readBool(g, "AutoSave", true);

    // Two information panels show each other: the left one becomes brief.
    if (leftStyle == 2 && rightStyle == 2)
        leftStyle = 1;
    if (leftStyle > 4 || rightStyle > 4) {
        leftStyle = 1;
        rightStyle = 1;
    }
    // A style below 1 names no mode; it reads as brief rather than leaving
    // the panel in a mode nothing draws.
    leftMode = viewModeOf(leftStyle);
    rightMode = viewModeOf(rightStyle);
}

void readOtherSections(const IniFile& ini, TMainSettings& s)
{
    s.StateWin = ini.readInteger("MainForm", "StateWin", 0);
    s.Top = ini.readInteger("MainForm", "Top", s.Top);
    s.Left = ini.readInteger("MainForm", "Left", s.Left);
    s.Width = ini.readInteger("MainForm", "Width", s.Width);
    s.Height = ini.readInteger("MainForm", "Height", s.Height);
    s.Panel_Width = ini.readInteger("MainForm", "Panel_Width", s.Panel_Width);

    s.Clipboard_Top = ini.readInteger("Form_Clipboard", "Top", 0);
    s.Clipboard_Left = ini.readInteger("Form_Clipboard", "Left", 0);
    s.Clipboard_Width = ini.readInteger("Form_Clipboard", "Width", 0);
    s.Clipboard_Height = ini.readInteger("Form_Clipboard", "Height", 0);

    s.Show_BackgroundFon = ini.readBool("Interface", "Show_BackgroundFon", true);
    s.Interface_Show_ToolBar = ini.readBool("Interface", "Show_ToolBar", true);
    s.Show_ComLine = ini.readBool("Interface", "Show_ComLine", true);
    s.Show_HotButtons = ini.readBool("Interface", "Show_HotButtons", true);

    s.Redial = ini.readBool("DialUp", "Redial", true);
    s.CloseOnBusy = ini.readBool("DialUp", "CloseOnBusy", false);
    s.CloseOnConnect = ini.readBool("DialUp", "CloseOnConnect", false);
    s.RedialTime = ini.readInteger("DialUp", "RedialTime", 10);

    s.ConfirmCopy = ini.readBool("Confirm", "Copy", true);
    s.ConfirmMove = ini.readBool("Confirm", "Move", true);
    s.ConfirmDelete = ini.readBool("Confirm", "Delete", true);
    s.ConfirmExit = ini.readBool("Confirm", "Exit", false);
}

namespace {

// The keys of a panel section in the order they are written, each with its
// field. Left, Top, Width and Height fall back to fixed values, the others
// to the panel's current one.
struct PanelKey {
    const char* key;
    std::variant<int PanelSettings::*, bool PanelSettings::*, std::string PanelSettings::*> field;
    int fixedDefault = -1; // >= 0: the fallback instead of the current value
};

const PanelKey PanelKeys[] = {
    { "Left", &PanelSettings::Left, 0 },
    { "Top", &PanelSettings::Top, 0 },
    { "Width", &PanelSettings::Width, 640 },
    { "Height", &PanelSettings::Height, 453 },
    { "Path", &PanelSettings::Path },
    { "Columns", &PanelSettings::Columns },
    { "Length", &PanelSettings::FontSizeSetting },
    { "Show_FreeDisk", &PanelSettings::ShowFreeDisk },
    { "Show_FileName", &PanelSettings::ShowFileName },
    { "Show_FileSize", &PanelSettings::ShowFileSize },
    { "Show_FileDate", &PanelSettings::ShowFileDate },
    { "Show_FileColors", &PanelSettings::ShowFileColors },
    { "Show_CurDir", &PanelSettings::ShowCurDir },
    { "Show_FileHide", &PanelSettings::ShowHiddenFiles },
    { "Show_FilesColor", &PanelSettings::Show_FilesColor },
    { "Show_ScrollBar", &PanelSettings::ShowScrollBar },
    { "Show_ToolBar", &PanelSettings::Show_ToolBar },
    { "Param_ExecBegin", &PanelSettings::ExecFirst },
    { "SorthMethod", &PanelSettings::SortSetting },
    { "FileColor", &PanelSettings::FileColor },
    { "DirectoryColor", &PanelSettings::DirectoryColor },
    { "FileSelectColor", &PanelSettings::FileSelectColor },
    { "DirectorySelectColor", &PanelSettings::DirectorySelectColor },
    { "PanelFon", &PanelSettings::PanelFon },
    { "PanelSelectFon", &PanelSettings::PanelSelectFon },
    { "LineColor", &PanelSettings::LineColor },
    { "LineColorSlave", &PanelSettings::LineColorSlave },
    { "SysTextColor", &PanelSettings::SysTextColor },
    { "SysInfoText", &PanelSettings::SysInfoText },
    { "Font_Name", &PanelSettings::Font_Name },
    { "Font_Size", &PanelSettings::Font_Size },
    { "Font_Color", &PanelSettings::Font_Color },
    { "Font_Style", &PanelSettings::Font_Bold },
    { "Stolbik_File", &PanelSettings::NameColWidth },
    { "Stolbik_FileType", &PanelSettings::SizeColWidth },
    { "Stolbik_Date", &PanelSettings::DateColWidth },
};

bool isKey(const PanelKey& entry, const char* key)
{
    return std::string_view(entry.key) == key;
}

} // namespace

void readPanelSection(const IniFile& ini, const std::string& section, PanelSettings& p)
{
    for (const PanelKey& entry : PanelKeys) {
        if (isKey(entry, "SorthMethod")) {
            // Any other text than the five names leaves the current mode.
            const std::string text = ini.readString(section, entry.key, "srName");
            if (sortMethodMode(text) >= 0)
                p.SortSetting = text;
        } else if (isKey(entry, "Font_Style")) {
            p.Font_Bold = ini.readString(section, entry.key, "") == "[fsBold]";
            // The remembered font size follows the font.
            p.FontSizeSetting = p.Font_Size;
        } else if (const auto* number = std::get_if<int PanelSettings::*>(&entry.field)) {
            p.*(*number) = ini.readInteger(
                section, entry.key, entry.fixedDefault >= 0 ? entry.fixedDefault : p.*(*number));
        } else if (const auto* flag = std::get_if<bool PanelSettings::*>(&entry.field)) {
            p.*(*flag) = ini.readBool(section, entry.key, p.*(*flag));
        } else {
            auto text = std::get<std::string PanelSettings::*>(entry.field);
            p.*text = ini.readString(section, entry.key, p.*text);
        }
    }
    // Values that size drawing surfaces and fonts stay within what can be
    // drawn: a font of 100000 points or a negative width would make the
    // panel allocate or paint nonsense, and be saved back every time.
    p.Font_Size = std::clamp(p.Font_Size, 4, 72);
    p.FontSizeSetting = std::clamp(p.FontSizeSetting, 4, 72);
    for (int PanelSettings::*width : { &PanelSettings::Width, &PanelSettings::Height,
             &PanelSettings::SizeColWidth, &PanelSettings::DateColWidth })
        p.*width = std::max(p.*width, 0);
    // The name column ends 30 pixels inside the width, and never before 0
    // (a panel narrower than 30 pixels gets a name column of 0).
    p.NameColWidth = std::clamp(p.NameColWidth, 0, std::max(p.Width - 30, 0));
    if (p.ViewMode == ViewMode::Full && p.Columns != 1)
        p.Columns = 1;
}

namespace {

void writePanel(IniFile& ini, const std::string& section, const PanelSettings& p)
{
    for (const PanelKey& entry : PanelKeys) {
        if (isKey(entry, "SorthMethod"))
            ini.writeString(section, entry.key, sortMethodText(sortMethodMode(p.SortSetting)));
        else if (isKey(entry, "Font_Style"))
            ini.writeString(section, entry.key, p.Font_Bold ? "[fsBold]" : "[]");
        else if (const auto* number = std::get_if<int PanelSettings::*>(&entry.field))
            ini.writeInteger(section, entry.key, p.*(*number));
        else if (const auto* flag = std::get_if<bool PanelSettings::*>(&entry.field))
            ini.writeBool(section, entry.key, p.*(*flag));
        else
            ini.writeString(section, entry.key, p.*std::get<std::string PanelSettings::*>(entry.field));
    }
}

} // namespace

bool writeSettingsFile(IniFile& ini, TMainSettings& s, const SaveState& state)
{
    if (s.Language.empty())
        s.Language = "ENGLISH";
    ini.beginBatch();
    const char* g = "Global";
    ini.writeString(g, "ProgName", "Orvanta");
    ini.writeString(g, "ProgVersion", "1.102");
    ini.writeString(g, "Build", "2");
    ini.writeString(g, "ProgDate", "19.11.1998");
    ini.writeString(g, "Root", state.ProgramFolder);
    ini.writeString(g, "Active", state.ActiveSide);
    ini.writeInteger(g, "Left_Style", storedNumber(state.LeftPanel.ViewMode));
    ini.writeInteger(g, "Right_Style", storedNumber(state.RightPanel.ViewMode));
    ini.writeString(g, "Language", s.Language);
    ini.writeBool(g, "SysTrayIcon", s.SysTrayIcon);
    ini.writeBool(g, "OnTop", s.OnTop);
    ini.writeBool(g, "DelToRecycle", s.DelToRecycle);
    ini.writeBool(g, "SysCopy", s.SysCopy);
    ini.writeInteger(g, "Main_Splitter", s.Main_Splitter);
    ini.writeBool(g, "IniLoad", true);
    ini.writeBool(g, "Sync_Panels", s.Sync_Panels);
    ini.writeBool(g, "Show_ToolBar", s.Show_ToolBar);
    ini.writeBool(g, "Show_StatusBar", s.Show_StatusBar);
    ini.writeBool(g, "Show_DriveBar", s.Show_DriveBar);
    ini.writeString(g, "EditorType", s.EditorType);
    ini.writeString(g, "EditorName", s.EditorName);
    ini.writeBool(g, "OldDrag", s.OldDrag);
    ini.writeBool(g, "AutoSave", s.AutoSave);

    ini.writeInteger("MainForm", "StateWin", state.Maximized ? 1 : 0);
    ini.writeInteger("MainForm", "Top", state.Top);
    ini.writeInteger("MainForm", "Left", state.Left);
    ini.writeInteger("MainForm", "Width", state.Width);
    ini.writeInteger("MainForm", "Height", state.Height);
    ini.writeInteger("MainForm", "Panel_Width", state.Width / 2 - s.Main_Splitter);

    ini.writeInteger("Form_Clipboard", "Top", s.Clipboard_Top);
    ini.writeInteger("Form_Clipboard", "Left", s.Clipboard_Left);
    ini.writeInteger("Form_Clipboard", "Width", s.Clipboard_Width);
    ini.writeInteger("Form_Clipboard", "Height", s.Clipboard_Height);

    ini.writeBool("Interface", "Show_BackgroundFon", s.Show_BackgroundFon);
    ini.writeBool("Interface", "Show_ToolBar", s.Interface_Show_ToolBar);
    ini.writeBool("Interface", "Show_ComLine", s.Show_ComLine);
    ini.writeBool("Interface", "Show_HotButtons", s.Show_HotButtons);

    ini.writeBool("DialUp", "Redial", s.Redial);
    ini.writeBool("DialUp", "CloseOnBusy", s.CloseOnBusy);
    ini.writeBool("DialUp", "CloseOnConnect", s.CloseOnConnect);
    ini.writeInteger("DialUp", "RedialTime", s.RedialTime);

    ini.writeBool("Confirm", "Copy", s.ConfirmCopy);
    ini.writeBool("Confirm", "Move", s.ConfirmMove);
    ini.writeBool("Confirm", "Delete", s.ConfirmDelete);
    ini.writeBool("Confirm", "Exit", s.ConfirmExit);

    writePanel(ini, panelSection(Side::Left), state.LeftPanel);
    writePanel(ini, panelSection(Side::Right), state.RightPanel);
    return ini.commit();
}

} // namespace ov
