#include "platform/ini_file.h"
#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>

using namespace ov;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Loaded {
    TMainSettings settings;
    ViewMode leftStyle = ViewMode::Brief;
    ViewMode rightStyle = ViewMode::Full;
    PanelSettings left;
    PanelSettings right;
};

// Load_INI's reading order over text, panels starting from their built-ins.
Loaded load(const std::string& text)
{
    const IniFile ini = IniFile::fromText(text);
    Loaded out;
    readGlobalSection(ini, out.settings, out.leftStyle, out.rightStyle);
    readOtherSections(ini, out.settings);
    out.left.ViewMode = out.leftStyle;
    out.right.ViewMode = out.rightStyle;
    readPanelSection(ini, "Panel_Left", out.left);
    readPanelSection(ini, "Panel_Right", out.right);
    return out;
}

} // namespace

TEST(SettingsFile, LoadRules)
{
    struct Row {
        const char* name;
        const char* text;
        std::function<void(const Loaded&)> check;
    } rows[] = {
        { "no file: every default", "",
            [](const Loaded& l) {
                EXPECT_EQ(l.leftStyle, ViewMode::Brief);
                EXPECT_EQ(l.rightStyle, ViewMode::Full);
                EXPECT_EQ(l.settings.Language, "ENGLISH");
                EXPECT_EQ(l.settings.Main_Splitter, 7);
                EXPECT_TRUE(l.settings.ConfirmCopy);
                EXPECT_FALSE(l.settings.ConfirmExit);
                EXPECT_EQ(l.settings.RedialTime, 10);
                EXPECT_EQ(l.right.Columns, 1); // full mode has one column
                EXPECT_EQ(l.left.Columns, 3);
            } },
        { "two information panels", "[Global]\nLeft_Style=2\nRight_Style=2\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.leftStyle, ViewMode::Brief);
                EXPECT_EQ(l.rightStyle, ViewMode::Information);
            } },
        { "a style above 4", "[Global]\nLeft_Style=5\nRight_Style=4\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.leftStyle, ViewMode::Brief);
                EXPECT_EQ(l.rightStyle, ViewMode::Brief);
            } },
        { "name column capped by the width read", "[Panel_Left]\nWidth=200\nStolbik_File=300\n",
            [](const Loaded& l) { EXPECT_EQ(l.left.NameColWidth, 170); } },
        { "the cap of the smallest width does not overflow",
            "[Panel_Left]\nWidth=-2147483648\nStolbik_File=5\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.left.Width, 0);
                EXPECT_EQ(l.left.NameColWidth, 0);
            } },
        { "sizes that drive drawing are clamped",
            "[Global]\nMain_Splitter=100000\n[Panel_Left]\nFont_Size=100000\nStolbik_FileType=-5\nStolbik_"
            "Date=-1\nHeight=-3\n"
            "[Panel_Right]\nFont_Size=1\nLength=-7\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.settings.Main_Splitter, 100);
                EXPECT_EQ(l.left.Font_Size, 72);
                EXPECT_EQ(l.left.FontSizeSetting, 72);
                EXPECT_EQ(l.left.SizeColWidth, 0);
                EXPECT_EQ(l.left.DateColWidth, 0);
                EXPECT_EQ(l.left.Height, 0);
                EXPECT_EQ(l.right.Font_Size, 4);
                EXPECT_EQ(l.right.FontSizeSetting, 4);
            } },
        { "a negative gap is no gap", "[Global]\nMain_Splitter=-40\n",
            [](const Loaded& l) { EXPECT_EQ(l.settings.Main_Splitter, 0); } },
        { "full mode forces one column", "[Global]\nRight_Style=3\n[Panel_Right]\nColumns=3\n",
            [](const Loaded& l) { EXPECT_EQ(l.right.Columns, 1); } },
        { "unknown sort text keeps the mode",
            "[Panel_Left]\nSorthMethod=srBogus\n[Panel_Right]\nSorthMethod=srSize\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.left.SortSetting, PanelSettings().SortSetting);
                EXPECT_EQ(l.right.SortSetting, "srSize");
            } },
        { "only [fsBold] is bold",
            "[Panel_Left]\nFont_Style=[fsBold,fsItalic]\n[Panel_Right]\nFont_Style=[fsBold]\n",
            [](const Loaded& l) {
                EXPECT_FALSE(l.left.Font_Bold);
                EXPECT_TRUE(l.right.Font_Bold);
            } },
        { "non-numeric integers read as defaults",
            "[Global]\nMain_Splitter=wide\n[DialUp]\nRedialTime=soon\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.settings.Main_Splitter, 7);
                EXPECT_EQ(l.settings.RedialTime, 10);
            } },
        { "negative colours are system colours", "[Panel_Left]\nLineColorSlave=-2147483633\nPanelFon=255\n",
            [](const Loaded& l) {
                EXPECT_EQ(l.left.LineColorSlave, static_cast<int32_t>(0x8000000F));
                EXPECT_EQ(l.left.PanelFon, 255);
            } },
        { "the font size is the remembered size", "[Panel_Left]\nLength=8\nFont_Size=12\n",
            [](const Loaded& l) { EXPECT_EQ(l.left.FontSizeSetting, 12); } },
        { "maximized window", "[MainForm]\nStateWin=1\nTop=5\n",
            [](const Loaded& l) { EXPECT_EQ(l.settings.StateWin, 1); } },
        { "Interface and DialUp keys",
            "[Interface]\nShow_ComLine=0\nShow_ToolBar=0\n[DialUp]\nRedial=0\nCloseOnBusy=1\n",
            [](const Loaded& l) {
                EXPECT_FALSE(l.settings.Show_ComLine);
                EXPECT_FALSE(l.settings.Interface_Show_ToolBar);
                EXPECT_TRUE(l.settings.Show_ToolBar); // Global's own key is apart
                EXPECT_FALSE(l.settings.Redial);
                EXPECT_TRUE(l.settings.CloseOnBusy);
            } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.check(load(row.text));
    }
}

TEST(SettingsFile, SaveWritesEverySectionAndKeyInOrder)
{
    IniFile ini = IniFile::fromText("");
    TMainSettings settings;
    settings.Language = ""; // an empty language is saved as ENGLISH
    SaveState state;
    state.ProgramFolder = "/opt/orvanta";
    state.Top = 39;
    state.Left = 170;
    state.Width = 446;
    state.Height = 337;
    state.LeftPanel.ViewMode = ViewMode::Brief;
    state.RightPanel.ViewMode = ViewMode::Full;
    state.RightPanel.Columns = 1;
    state.RightPanel.Font_Bold = true;
    state.RightPanel.SortSetting = "srExt";
    EXPECT_TRUE(writeSettingsFile(ini, settings, state));
    EXPECT_EQ(settings.Language, "ENGLISH");
    const std::string golden = readFile(OV_SHELL_FIXTURES "/ov_ini_golden.ini");
    EXPECT_EQ(ini.text(), golden);
    if (ini.text() != golden)
        std::ofstream(OV_BINARY_DIR "/ov_ini_golden.actual.ini", std::ios::binary) << ini.text();
}

TEST(SettingsFile, EveryFieldSurvivesASaveAndALoad)
{
    TMainSettings settings;
    settings.Language = "POLISH";
    settings.SysTrayIcon = false;
    settings.OnTop = true;
    settings.DelToRecycle = true;
    settings.SysCopy = true;
    settings.Main_Splitter = 11;
    settings.Sync_Panels = true;
    settings.Show_ToolBar = false;
    settings.Show_StatusBar = false;
    settings.Show_DriveBar = false;
    settings.EditorType = "ext";
    settings.EditorName = "gvim -f";
    settings.OldDrag = true;
    settings.AutoSave = false;
    settings.Clipboard_Top = 1;
    settings.Clipboard_Left = 2;
    settings.Clipboard_Width = 3;
    settings.Clipboard_Height = 4;
    settings.Show_BackgroundFon = false;
    settings.Interface_Show_ToolBar = false;
    settings.Show_ComLine = false;
    settings.Show_HotButtons = false;
    settings.Redial = false;
    settings.CloseOnBusy = true;
    settings.CloseOnConnect = true;
    settings.RedialTime = 42;
    settings.ConfirmCopy = settings.ConfirmMove = settings.ConfirmDelete = false;
    settings.ConfirmExit = true;
    SaveState state;
    state.Top = 10;
    state.Left = 20;
    state.Width = 700;
    state.Height = 500;
    PanelSettings& p = state.LeftPanel;
    p = { 1, 2, 300, 400, "d:\\work\\", 4, 10, false, false, false, false, false, false, false, false, false,
        false, false, "srDate", 1, 2, 3, 4, 5, 6, 7, -2147483632, 9, 10, "Courier New", 10, 12, true, 150, 50,
        60, ViewMode::Information };
    state.RightPanel.ViewMode = ViewMode::QuickView;
    state.RightPanel.SortSetting = "srNone";
    IniFile ini = IniFile::fromText("");
    ASSERT_TRUE(writeSettingsFile(ini, settings, state));

    const Loaded back = load(ini.text());
    EXPECT_EQ(back.leftStyle, ViewMode::Information);
    EXPECT_EQ(back.rightStyle, ViewMode::QuickView);
    TMainSettings expected = settings;
    expected.IniLoad = true;
    expected.Top = 10;
    expected.Left = 20;
    expected.Width = 700;
    expected.Height = 500;
    expected.Panel_Width = 700 / 2 - 11;
    const auto tie = [](const TMainSettings& s) {
        return std::tie(s.Language, s.SysTrayIcon, s.OnTop, s.DelToRecycle, s.SysCopy, s.Main_Splitter,
            s.IniLoad, s.Sync_Panels, s.Show_ToolBar, s.Show_StatusBar, s.Show_DriveBar, s.EditorType,
            s.EditorName, s.OldDrag, s.AutoSave, s.StateWin, s.Top, s.Left, s.Width, s.Height, s.Panel_Width,
            s.Clipboard_Top, s.Clipboard_Left, s.Clipboard_Width, s.Clipboard_Height, s.Show_BackgroundFon,
            s.Interface_Show_ToolBar, s.Show_ComLine, s.Show_HotButtons, s.Redial, s.CloseOnBusy,
            s.CloseOnConnect, s.RedialTime, s.ConfirmCopy, s.ConfirmMove, s.ConfirmDelete, s.ConfirmExit);
    };
    EXPECT_TRUE(tie(back.settings) == tie(expected));
    const auto panelTie = [](const PanelSettings& q) {
        return std::tie(q.Left, q.Top, q.Width, q.Height, q.Path, q.Columns, q.FontSizeSetting,
            q.ShowFreeDisk, q.ShowFileName, q.ShowFileSize, q.ShowFileDate, q.ShowFileColors, q.ShowCurDir,
            q.ShowHiddenFiles, q.Show_FilesColor, q.ShowScrollBar, q.Show_ToolBar, q.ExecFirst, q.SortSetting,
            q.FileColor, q.DirectoryColor, q.FileSelectColor, q.DirectorySelectColor, q.PanelFon,
            q.PanelSelectFon, q.LineColor, q.LineColorSlave, q.SysTextColor, q.SysInfoText, q.Font_Name,
            q.Font_Size, q.Font_Color, q.Font_Bold, q.NameColWidth, q.SizeColWidth, q.DateColWidth);
    };
    EXPECT_TRUE(panelTie(back.left) == panelTie(p));
    EXPECT_EQ(back.right.SortSetting, "srNone");
}

TEST(SettingsFile, SortTexts)
{
    const std::pair<int, const char*> rows[] = { { 0, "srNone" }, { 1, "srName" }, { 2, "srExt" },
        { 3, "srSize" }, { 4, "srDate" }, { 5, "srName" }, { 6, "srName" }, { -1, "srName" } };
    for (const auto& [mode, text] : rows)
        EXPECT_EQ(sortMethodText(mode), text) << mode;
    EXPECT_EQ(sortMethodMode("srBogus"), -1);
    // An unknown text leaves whatever mode the panel has, here by extension.
    PanelSettings byExtension;
    byExtension.SortSetting = "srExt";
    readPanelSection(IniFile::fromText("[Panel_Left]\nSorthMethod=srBogus\n"), "Panel_Left", byExtension);
    EXPECT_EQ(byExtension.SortSetting, "srExt");
    EXPECT_EQ(sortMethodMode("srExt"), 2);
}

// Left_Style / Right_Style as stored, to the two panels' modes: the four
// numbers name their modes; the pair rules first (two information panels,
// a number above 4), then any number that names no mode reads as brief.
TEST(SettingsFile, StoredViewModes)
{
    using V = ViewMode;
    const struct Row {
        const char* left;
        const char* right;
        V expectedLeft;
        V expectedRight;
    } rows[] = {
        { nullptr, nullptr, V::Brief, V::Full }, { "1", "3", V::Brief, V::Full },
        { "3", "1", V::Full, V::Brief }, { "4", "2", V::QuickView, V::Information },
        { "2", "4", V::Information, V::QuickView }, { "2", "2", V::Brief, V::Information },
        { "5", "3", V::Brief, V::Brief }, { "3", "99", V::Brief, V::Brief },
        { "0", "4", V::Brief, V::QuickView }, { "-1", "2", V::Brief, V::Information },
        { "-2147483648", "3", V::Brief, V::Full },
        { "full", "brief", V::Brief, V::Full }, // not a number: the current modes stay
    };
    for (const Row& row : rows) {
        std::string text = "[Global]\n";
        if (row.left)
            text += std::string("Left_Style=") + row.left + "\nRight_Style=" + row.right + "\n";
        SCOPED_TRACE(text);
        const Loaded loaded = load(text);
        EXPECT_EQ(loaded.leftStyle, row.expectedLeft);
        EXPECT_EQ(loaded.rightStyle, row.expectedRight);
        // What loads is what is written back.
        SaveState state;
        state.LeftPanel.ViewMode = loaded.leftStyle;
        state.RightPanel.ViewMode = loaded.rightStyle;
        TMainSettings settings;
        IniFile ini = IniFile::fromText("");
        ASSERT_TRUE(writeSettingsFile(ini, settings, state));
        EXPECT_EQ(ini.readInteger("Global", "Left_Style", 0), storedNumber(row.expectedLeft));
        EXPECT_EQ(ini.readInteger("Global", "Right_Style", 0), storedNumber(row.expectedRight));
    }
    for (int stored = -3; stored <= 7; ++stored) {
        const V mode = viewModeOf(stored);
        EXPECT_EQ(storedNumber(mode), stored >= 1 && stored <= 4 ? stored : 1) << stored;
    }
}
