// The copy window; see copy_window.h.
#include "fileops/copy_window.h"

#include "platform/dialogs.h"
#include "platform/file_operation.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace ov {

namespace {

constexpr const char* cannotCopy = "Cannot copy files";

} // namespace

TFormCopy::TFormCopy(TFileOpsHost& host, QWidget* parent)
    : TransferWindow(host, "Copy", parent)
{
    auto* grid = new QGridLayout(m_question);
    auto* fromLabel = new QLabel(QString::fromStdString(text("Label_From")), m_question);
    fromLabel->setObjectName("Label_From");
    m_from = new QLineEdit(m_question);
    m_from->setObjectName("Edit_From");
    m_from->setReadOnly(true);
    auto* toLabel = new QLabel(QString::fromStdString(text("Label_To")), m_question);
    toLabel->setObjectName("Label_To");
    m_to = new QLineEdit(m_question);
    m_to->setObjectName("Edit_To");
    m_systemCopy = new QCheckBox(QString::fromStdString(text("CheckBox_SystemCopyFunction")), m_question);
    m_systemCopy->setObjectName("CheckBox_SystemCopyFunction");
    // Kept for the layout the window has always had; it does nothing.
    m_checkFreeSpace = new QCheckBox(QString::fromStdString(text("CheckBox_CheckFreeSpace")), m_question);
    m_checkFreeSpace->setObjectName("CheckBox_CheckFreeSpace");
    m_checkFreeSpace->setVisible(false);
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(m_to, 1, 1);
    grid->addWidget(m_systemCopy, 2, 1);
    grid->addWidget(m_checkFreeSpace, 3, 1);
    m_ok->setObjectName("Button_OK");
    m_ok->setText(QString::fromStdString(text("Button_OK")));
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_systemCopy, &QCheckBox::clicked, this, [this] { CheckBox_SystemCopyFunctionClick(); });
}

void TFormCopy::FormShow(int dragIndex)
{
    m_status->setText("Scanning files...");
    m_source->clear();
    m_fileBar->setValue(0);
    m_totalBar->setValue(0);
    m_views->setCurrentIndex(0);
    m_from->setEnabled(true);
    m_to->setEnabled(true);
    m_ok->setEnabled(true);
    m_ok->setFocus();
    TBrowser& source = m_host.List(PanelSide::Active);
    TBrowser& target = m_host.List(PanelSide::Other);
    m_fromDrag = dragIndex > 0;
    if (m_fromDrag && source.SelCount == 0)
        source.CurIndex = dragIndex;
    if (source.SelCount > 0) {
        m_from->setText(QString::fromStdString("Copy " + std::to_string(source.SelCount) + " file(s)"));
        m_from->setEnabled(false);
    } else {
        const int index = m_fromDrag ? dragIndex : m_host.CurrentIndex(PanelSide::Active);
        m_from->setText(QString::fromStdString(source.CurrentFolder() + source.NameAt(index)));
    }
    m_to->setText(QString::fromStdString(target.CurrentFolder()));
    m_systemCopy->setChecked(m_host.Settings().SysCopy);
}

void TFormCopy::CheckBox_SystemCopyFunctionClick()
{
    m_host.Settings().SysCopy = m_systemCopy->isChecked();
}

void TFormCopy::Button_OKClick()
{
    if (m_running || !m_ok->isEnabled())
        return;
    TBrowser& source = m_host.List(PanelSide::Active);
    TBrowser& target = m_host.List(PanelSide::Other);
    if (!m_systemCopy->isChecked()) {
        showProgressView(m_from->text().toStdString());
        runOwnWalk(false, m_fromDrag, "Copied files: ", cannotCopy);
        return;
    }
    // The system function copies whole paths; it takes no part in archives.
    if (source.DiskKind != DiskKind::Standard || target.DiskKind != DiskKind::Standard) {
        finish();
        messageBox(cannotCopy, "Error", Buttons::Ok, Icon::Error);
        return;
    }
    TFileOperation operation;
    operation.Operation = FileOperationKind::Copy;
    operation.Destination = m_to->text().toStdString();
    const int index = m_fromDrag ? source.CurIndex : m_host.CurrentIndex(PanelSide::Active);
    if (source.SelCount > 0) {
        for (int i = 1; i <= source.Count; ++i)
            if (source.IsSelected(i))
                operation.Sources.push_back(source.CurrentFolder() + source.NameAt(i));
    } else if (index >= 1 && index <= source.Count
        && !source.Entries[static_cast<std::size_t>(index - 1)].IsParent) {
        operation.Sources.push_back(m_from->text().toStdString());
    }
    if (!operation.Sources.empty()) {
        showProgressView(m_from->text().toStdString());
        runSystemOperation(operation, index, "Copied files: ");
    }
    m_host.Update_AllPanels();
    finish();
}

void TFormCopy::Execute(TFileOpsHost& host, int dragIndex)
{
    TFormCopy window(host, host.Owner());
    window.FormShow(dragIndex);
    // Without the confirmation OK is pressed at once, on the shown window as
    // the user would press it, so the progress shows and Cancel reaches the walk.
    if (!host.Settings().ConfirmCopy)
        QTimer::singleShot(0, &window, [&window] { window.Button_OKClick(); });
    window.exec();
}

} // namespace ov
