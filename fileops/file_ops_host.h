// What the file operation windows need from the main window,
// so that they never name it: the two panels' file lists and cursors, the
// settings they read and change, the language file, and the refresh of
// both panels. The main window implements it over its panels; tests
// implement it over two plain file lists.
#pragma once

#include "panel/browser.h"
#include "platform/ini_file.h"
#include "shell/main_settings.h"

#include <QRect>

#include <string>

class QWidget;

namespace ov {

enum class PanelSide { Active, Other };

class TFileOpsHost {
public:
    virtual ~TFileOpsHost() = default;

    virtual TBrowser& List(PanelSide side) = 0;
    // The panel's current entry (its cursor), 1-based.
    virtual int CurrentIndex(PanelSide side) = 0;
    // Puts the panel's cursor on entry index (the panel's SetCursorIndex).
    virtual void SetCursorIndex(PanelSide side, int index) = 0;
    virtual TMainSettings& Settings() = 0;
    virtual const IniFile& Language() = 0;
    // Refreshes and repaints both panels, each keeping its cursor by name.
    virtual void Update_AllPanels() = 0;
    // The owner of the windows (the main window), or none.
    virtual QWidget* Owner() = 0;

    // Redraws both panels as their lists stand, without re-reading them
    // (a re-read would drop a selection just made).
    virtual void RepaintPanels() { }
    // True when the active panel is the left one.
    virtual bool ActiveIsLeft() { return true; }
    // A panel's rectangle in screen coordinates (empty when not shown).
    virtual QRect PanelRect(PanelSide side)
    {
        (void)side;
        return {};
    }
    // The panels' font size in points.
    virtual int PanelFontSize() { return 8; }
    // Makes mode the panel's sort mode: its list's SortMode and the
    // panel's stored setting ("srName" ...).
    virtual void SetSortMode(PanelSide side, int mode) { List(side).SortMode = mode; }
    // Opens a panel on a folder (Windows path) as the panel reads a folder:
    // its path, free and total space and brief view follow, the cursor goes
    // to entry 1.
    virtual void OpenFolder(PanelSide side, const std::string& path)
    {
        TBrowser& list = List(side);
        std::string folder = path.size() > 3 ? path.substr(3) : std::string();
        if (!folder.empty() && folder.back() != '\\')
            folder += '\\';
        list.OpenDisk(path.substr(0, 2) + "\\", DiskKind::Standard, folder);
        SetCursorIndex(side, 1);
    }
    void OpenActiveFolder(const std::string& path) { OpenFolder(PanelSide::Active, path); }
    // Enters an archive in a panel as Enter on it does (the archive disk
    // pushed over the panel's drive), showing folder inside it ("" or ending
    // in "\"); the cursor goes to entry 1.
    virtual void EnterArchive(PanelSide side, const std::string& archive, const std::string& folder)
    {
        List(side).PushDisk(archive, DiskKind::Archive, folder);
        SetCursorIndex(side, 1);
    }
};

} // namespace ov
