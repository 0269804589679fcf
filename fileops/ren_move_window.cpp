// The rename/move window; see ren_move_window.h.
#include "fileops/ren_move_window.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_operation.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace ov {

namespace {

constexpr const char* cannotMove = "Cannot moving files";

} // namespace

TFormRenMove::TFormRenMove(TFileOpsHost& host, QWidget* parent)
    : TransferWindow(host, "Rename", parent)
{
    auto* layout = new QVBoxLayout(m_question);
    m_label = new QLabel(m_question);
    m_label->setObjectName("Label_Comm");
    m_destination = new QComboBox(m_question);
    m_destination->setObjectName("ComboBox_Destination");
    m_destination->setEditable(true);
    layout->addWidget(m_label);
    layout->addWidget(m_destination);
    m_ok->setObjectName("Button_Ok");
    m_ok->setText(QString::fromStdString(text("Button_Ok")));
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OkClick(); });
}

std::string TFormRenMove::FullDestination(const std::string& typed, const std::string& diskRoot)
{
    if (typed.size() >= 2 && typed[1] == ':')
        return typed;
    const char drive = diskRoot.empty() ? 'c' : diskRoot[0];
    std::string rest = typed;
    while (!rest.empty() && (rest[0] == '\\' || rest[0] == '/'))
        rest.erase(0, 1);
    return std::string(1, drive) + ":\\" + rest;
}

void TFormRenMove::FormShow()
{
    m_views->setCurrentIndex(0);
    m_ok->setEnabled(true);
    TBrowser& source = m_host.List(PanelSide::Active);
    m_sourceText = source.CurrentFolder() + source.NameAt(m_host.CurrentIndex(PanelSide::Active));
    if (source.SelCount > 0)
        m_label->setText(QString::fromStdString(
            text("Label_Comm") + " " + std::to_string(source.SelCount) + " file(s) " + text("Label_To")));
    else
        m_label->setText(
            QString::fromStdString(text("Label_Comm") + " <" + m_sourceText + "> " + text("Label_To")));
    m_destination->setEditText(QString::fromStdString(m_host.List(PanelSide::Other).CurrentFolder()));
}

void TFormRenMove::Button_OkClick()
{
    if (m_running || !m_ok->isEnabled())
        return;
    TBrowser& source = m_host.List(PanelSide::Active);
    const std::string typed = m_destination->currentText().toStdString();
    if (!m_host.Settings().SysCopy) {
        showProgressView(typed);
        runOwnWalk(true, false, "Processed file: ", cannotMove);
        return;
    }
    m_ok->setEnabled(false);
    TFileOperation operation;
    operation.Operation = FileOperationKind::Move;
    operation.NoConfirmation = true;
    operation.Destination = FullDestination(typed, source.DiskRoot);
    const int index = m_host.CurrentIndex(PanelSide::Active);
    if (source.SelCount > 0) {
        for (int i = 1; i <= source.Count; ++i)
            if (source.IsSelected(i))
                operation.Sources.push_back(source.CurrentFolder() + source.NameAt(i));
    } else if (index >= 1 && index <= source.Count
        && !source.Entries[static_cast<std::size_t>(index - 1)].IsParent) {
        operation.Sources.push_back(m_sourceText);
    }
    // Several entries cannot all take one typed name: only an existing
    // folder can receive them. Archives take part in nothing.
    const auto host = DriveTable::instance().toHost(operation.Destination);
    const bool intoFolder = host && isExistingFolder(*host);
    if (source.DiskKind != DiskKind::Standard || (operation.Sources.size() > 1 && !intoFolder)) {
        finish();
        messageBox(cannotMove, "Error", Buttons::Ok, Icon::Error);
        return;
    }
    if (!operation.Sources.empty()) {
        showProgressView(operation.Destination);
        runSystemOperation(operation, index, "Processed file: ");
    }
    m_host.Update_AllPanels();
    finish();
}

void TFormRenMove::Execute(TFileOpsHost& host)
{
    TFormRenMove window(host, host.Owner());
    window.FormShow();
    // Without the confirmation OK is pressed at once, on the shown window.
    if (!host.Settings().ConfirmMove)
        QTimer::singleShot(0, &window, [&window] { window.Button_OkClick(); });
    window.exec();
}

} // namespace ov
