// The main window as the file-operation windows see it, for tests: two plain
// file lists with a cursor each, the English language file, and counters of
// what the windows asked for (refreshes, repaints).
#pragma once

#include "fileops/file_ops_host.h"

#include <QRect>

namespace ov::test {

class TestHost : public TFileOpsHost {
public:
    TBrowser active;
    TBrowser other;
    int activeCursor = 1;
    int otherCursor = 1;
    TMainSettings settings;
    IniFile language;
    int updates = 0;
    int repaints = 0;
    // Update_AllPanels re-reads both lists, as the panels do; off, it only counts.
    bool refreshOnUpdate = true;
    bool activeLeft = true;
    QRect activeRect;
    QRect otherRect;
    int fontSize = 8;

    TestHost();

    TBrowser& List(PanelSide side) override;
    int CurrentIndex(PanelSide side) override;
    void SetCursorIndex(PanelSide side, int index) override;
    TMainSettings& Settings() override;
    const IniFile& Language() override;
    void Update_AllPanels() override;
    QWidget* Owner() override;
    void RepaintPanels() override;
    bool ActiveIsLeft() override;
    QRect PanelRect(PanelSide side) override;
    int PanelFontSize() override;
};

} // namespace ov::test
