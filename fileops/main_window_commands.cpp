#include "fileops/main_window_commands.h"

#include "fileops/attrib_window.h"
#include "fileops/copy_window.h"
#include "fileops/delete_window.h"
#include "fileops/file_color_window.h"
#include "fileops/file_colors.h"
#include "fileops/file_ops_host.h"
#include "fileops/folder_hist_window.h"
#include "fileops/folder_history.h"
#include "fileops/group_select.h"
#include "fileops/new_dir_window.h"
#include "fileops/new_file_window.h"
#include "fileops/plus_window.h"
#include "fileops/ren_move_window.h"
#include "fileops/sort_window.h"
#include "panel/panel_text.h"
#include "platform/folders.h"
#include "shell/commands.h"
#include "shell/main_window.h"

namespace ov {

namespace {

// The main window as the file operation windows see it.
class FormHost : public TFileOpsHost {
public:
    explicit FormHost(TForm1& form)
        : m_form(form)
    {
    }
    TBrowser& List(PanelSide side) override { return panel(side)->Browser; }
    int CurrentIndex(PanelSide side) override { return panel(side)->CurrentIndex(); }
    void SetCursorIndex(PanelSide side, int index) override { panel(side)->SetCursorIndex(index); }
    TMainSettings& Settings() override { return m_form.MainSettings; }
    const IniFile& Language() override { return m_form.Language(); }
    void Update_AllPanels() override { m_form.Update_AllPanels(); }
    QWidget* Owner() override { return &m_form; }
    void RepaintPanels() override
    {
        for (TFPanel* shown : { m_form.LeftPanel(), m_form.RightPanel() })
            shown->Layout();
    }
    bool ActiveIsLeft() override { return m_form.ActivePanel() == m_form.LeftPanel(); }
    QRect PanelRect(PanelSide side) override
    {
        TFPanel* shown = panel(side);
        return QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size());
    }
    int PanelFontSize() override { return m_form.ActivePanel()->FontSize; }
    void SetSortMode(PanelSide side, int mode) override
    {
        panel(side)->Browser.SortMode = mode;
        panel(side)->SortSetting = TFormSort::SettingOfMode(mode);
    }
    void OpenActiveFolder(const std::string& path) override
    {
        TFPanel* active = m_form.ActivePanel();
        active->Path = path;
        if (active->ViewMode == 2 || active->ViewMode == 4) {
            active->ViewMode = 1;
            active->Columns = 3;
        }
        active->ReadFolder();
    }

private:
    TFPanel* panel(PanelSide side) const
    {
        return side == PanelSide::Active ? m_form.ActivePanel() : m_form.OtherPanel();
    }
    TForm1& m_form;
};

} // namespace

void registerFileOpsCommands()
{
    registerCommand("Copy", [](TForm1& form) {
        FormHost host(form);
        TFormCopy::Execute(host, form.DragIndex);
    });
    registerCommand("Move", [](TForm1& form) {
        FormHost host(form);
        TFormRenMove::Execute(host);
    });
    registerCommand("Delete", [](TForm1& form) {
        FormHost host(form);
        TFormDelete::Execute(host);
    });
    registerCommand("MkDir", [](TForm1& form) {
        FormHost host(form);
        TFormNewDir::Execute(host);
    });
    registerCommand("CreateFile", [](TForm1& form) {
        FormHost host(form);
        TFormNewFile::Execute(host);
    });
    registerCommand("Attributes", [](TForm1& form) {
        FormHost host(form);
        TFormAttrib::Execute(host);
    });
    registerCommand("SelectGroup", [](TForm1& form) {
        FormHost host(form);
        TFormPlus::Execute(host, form.SelectGroupMode, form.SelectGroupFolders);
    });
    registerCommand("UnselectAll", [](TForm1& form) {
        FormHost host(form);
        UnselectAll(host.List(PanelSide::Active));
        host.RepaintPanels();
    });
    registerCommand("SortModes", [](TForm1& form) {
        FormHost host(form);
        TFormSort::Execute(host);
    });
    registerFileHandler("AddFolderToHistory",
        [](TForm1&, const std::string& folder) { FolderHistory::shared().Add(folder); });
    registerCommand("FoldersHistory", [](TForm1& form) {
        FormHost host(form);
        TFormFolderHist::Execute(host);
    });
    // The highlighting table is read once at start-up and written with each
    // save of the configuration.
    LoadFilesColors(programFolder() + "/" + FilesColorsFileName, ExtensionColors::shared());
    registerCommand("FilesColors", [](TForm1& form) {
        FormHost host(form);
        TFormFileColor::Execute(host);
    });
    registerCommand("SaveFilesColors", [](TForm1&) {
        SaveFilesColors(programFolder() + "/" + FilesColorsFileName, ExtensionColors::shared());
    });
}

} // namespace ov
