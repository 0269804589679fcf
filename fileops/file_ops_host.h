// What the copy, rename/move and delete windows need from the main window,
// so that they never name it: the two panels' file lists and cursors, the
// settings they read and change, the language file, and the refresh of
// both panels. The main window implements it over its panels; tests
// implement it over two plain file lists.
#pragma once

#include "panel/browser.h"
#include "platform/ini_file.h"
#include "shell/main_settings.h"

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
};

} // namespace ov
