// The create-file window; see new_file_window.h.
#include "fileops/new_file_window.h"

#include "fileops/create_entry.h"
#include "fileops/file_ops_host.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QPushButton>

#include <algorithm>

namespace ov {

TFormNewFile::TFormNewFile(TFileOpsHost& host, QWidget* parent)
    : TNameWindow(host, "MkFile", parent)
{
}

void TFormNewFile::Button_OKClick()
{
    const std::string name = m_name->currentText().toStdString();
    const CreateFileOutcome outcome = CreateFileFromText(m_host.List(PanelSide::Active), name);
    if (outcome == CreateFileOutcome::Nothing)
        return;
    if (outcome == CreateFileOutcome::Failed)
        messageBox(CannotCreateFileText, "Error", Buttons::Ok, Icon::Error);
    m_host.Update_AllPanels();
    m_host.SetCursorIndex(PanelSide::Active, std::max(1, m_host.CurrentIndex(PanelSide::Active) - 1));
    accept();
}

void TFormNewFile::Execute(TFileOpsHost& host)
{
    TFormNewFile window(host, host.Owner());
    window.FormShow();
    window.exec();
}

} // namespace ov
