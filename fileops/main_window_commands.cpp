#include "fileops/main_window_commands.h"

#include "fileops/attrib_window.h"
#include "fileops/copy_window.h"
#include "fileops/delete_window.h"
#include "fileops/file_ops_host.h"
#include "fileops/new_dir_window.h"
#include "fileops/new_file_window.h"
#include "fileops/ren_move_window.h"
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

private:
    TFPanel* panel(PanelSide side) const { return side == PanelSide::Active ? m_form.ActivePanel() : m_form.OtherPanel(); }
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
}

} // namespace ov
