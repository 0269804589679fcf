// The create-folder window; see new_dir_window.h.
#include "fileops/new_dir_window.h"

#include "fileops/create_entry.h"
#include "fileops/file_ops_host.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QPushButton>

namespace ov {

TFormNewDir::TFormNewDir(TFileOpsHost& host, QWidget* parent)
    : TNameWindow(host, "MkDir", parent)
{
}

void TFormNewDir::Button_OKClick()
{
    TBrowser& active = m_host.List(PanelSide::Active);
    const std::string text = m_name->currentText().toStdString();
    const MakeFolderOutcome outcome = MakeFolderFromText(active, text);
    if (!outcome.made)
        messageBox(outcome.error, "Error", Buttons::Ok, Icon::Error);
    m_host.Update_AllPanels();
    if (outcome.made && !outcome.asPath) {
        for (int i = 1; i <= active.Count; ++i) {
            if (active.NameAt(i) == text) {
                active.CurIndex = i;
                m_host.SetCursorIndex(PanelSide::Active, i);
                break;
            }
        }
    }
    accept();
}

void TFormNewDir::Execute(TFileOpsHost& host)
{
    TFormNewDir window(host, host.Owner());
    window.FormShow();
    window.exec();
}

} // namespace ov
