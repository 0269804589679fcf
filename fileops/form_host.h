// The main window as the file-command windows see it: TFileOpsHost over
// TForm1's two panels. Shared by every registration of those windows.
#pragma once

#include "fileops/file_ops_host.h"

#include <string>

namespace ov {

class TForm1;
class TFPanel;

class FormHost : public TFileOpsHost {
public:
    explicit FormHost(TForm1& form);
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
    void SetSortMode(PanelSide side, int mode) override;
    void OpenFolder(PanelSide side, const std::string& path) override;
    void EnterArchive(PanelSide side, const std::string& archive, const std::string& folder) override;

private:
    TFPanel* panel(PanelSide side) const;
    TForm1& m_form;
};

} // namespace ov
