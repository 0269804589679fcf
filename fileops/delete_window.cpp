// The delete window; see delete_window.h.
#include "fileops/delete_window.h"

#include "platform/dialogs.h"
#include "platform/file_operation.h"
#include "shell/language_file.h"

#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ov {

TFormDelete::TFormDelete(TFileOpsHost& host, QWidget* parent)
    : WalkWindow(host, parent)
{
    setModal(true);
    setWindowTitle(QString::fromStdString(text("Caption")));
    auto* layout = new QVBoxLayout(this);
    m_group = new QGroupBox(QString::fromStdString(text("GroupBoxCaption")), this);
    m_group->setObjectName("GroupBox1");
    auto* lines = new QVBoxLayout(m_group);
    m_question = new QLabel(m_group);
    m_question->setObjectName("Label_Quest");
    m_question->setAlignment(Qt::AlignCenter);
    m_what = new QLabel(m_group);
    m_what->setObjectName("Label_What");
    m_what->setAlignment(Qt::AlignCenter);
    lines->addWidget(m_question);
    lines->addWidget(m_what);
    layout->addWidget(m_group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QString::fromStdString(text("Button_OK")), this);
    m_ok->setObjectName("Button_OK");
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QString::fromStdString(text("Button_Cancel")), this);
    m_cancel->setObjectName("Button_Cancel");
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
}

std::string TFormDelete::text(const char* key) const
{
    return windowText(m_host.Language(), "Delete", key);
}

std::string TFormDelete::CursorNameAfterDelete(const TBrowser& list, int current)
{
    if (current + 1 <= list.Count)
        return list.NameAt(current + 1);
    return current - 1 >= 1 ? list.NameAt(current - 1) : std::string();
}

void TFormDelete::FormShow()
{
    m_ok->setEnabled(true);
    m_ok->setFocus();
    const TBrowser& list = m_host.List(PanelSide::Active);
    const int current = m_host.CurrentIndex(PanelSide::Active);
    const bool folder = list.IsFolder(current);
    std::string question;
    if (m_host.Settings().Language == "ENGLISH")
        question = folder ? "Do you wish to delete the folder" : "Do you wish to delete the file";
    else
        question = text("Label_Quest") + " " + text(folder ? "Folder" : "File");
    QFont bold = m_question->font();
    bold.setBold(true);
    m_question->setFont(bold);
    m_question->setText(QString::fromStdString(question));
    m_what->setVisible(true);
    if (list.SelCount > 0)
        m_what->setText(QString::fromStdString(std::to_string(list.SelCount) + " file(s)"));
    else
        m_what->setText(QString::fromStdString("<" + list.NameAt(current) + ">"));
}

void TFormDelete::finish()
{
    // The two-line layout comes back for the next time.
    QFont bold = m_question->font();
    bold.setBold(true);
    m_question->setFont(bold);
    m_what->setVisible(true);
    m_ok->setEnabled(true);
    done(QDialog::Accepted);
}

void TFormDelete::Button_OKClick()
{
    if (m_running || !m_ok->isEnabled())
        return;
    m_ok->setEnabled(false);
    TBrowser& list = m_host.List(PanelSide::Active);
    const int current = m_host.CurrentIndex(PanelSide::Active);
    const bool onParent = current >= 1 && current <= list.Count
        && list.Entries[static_cast<std::size_t>(current - 1)].IsParent;
    if ((list.SelCount == 0 && onParent) || current < 1 || current > list.Count) {
        finish();
        return;
    }
    if (m_host.Settings().DelToRecycle)
        deleteToTrash();
    else
        deleteOwn();
    finish();
}

void TFormDelete::deleteToTrash()
{
    TBrowser& list = m_host.List(PanelSide::Active);
    if (list.DiskKind != DiskKind::Standard) {
        messageBox(text("NotDeleted"), "Error", Buttons::Ok, Icon::Error);
        return;
    }
    TFileOperation operation;
    operation.Operation = FileOperationKind::Delete;
    operation.AllowUndo = true;
    operation.NoConfirmation = true;
    if (list.SelCount > 0) {
        for (int i = 1; i <= list.Count; ++i)
            if (list.IsSelected(i))
                operation.Sources.push_back(list.CurrentFolder() + list.NameAt(i));
    } else {
        operation.Sources.push_back(
            list.CurrentFolder() + list.NameAt(m_host.CurrentIndex(PanelSide::Active)));
    }
    // What the Trash cannot take stays where it is; the operation says so.
    showProgressLine();
    operation.OnProgress = [this](const std::string& path, int64_t, int64_t) {
        m_question->setText(QString::fromStdString(path));
    };
    runSystem(operation);
    m_host.Update_AllPanels();
    for (const PanelSide side : { PanelSide::Active, PanelSide::Other }) {
        const TBrowser& panel = m_host.List(side);
        if (panel.Count < 2)
            m_host.SetCursorIndex(side, 1);
        else if (m_host.CurrentIndex(side) > panel.Count)
            m_host.SetCursorIndex(side, panel.Count);
    }
}

void TFormDelete::showProgressLine()
{
    m_what->setVisible(false);
    QFont normal = m_question->font();
    normal.setBold(false);
    m_question->setFont(normal);
}

void TFormDelete::deleteOwn()
{
    TBrowser& list = m_host.List(PanelSide::Active);
    showProgressLine();
    list.CurIndex = m_host.CurrentIndex(PanelSide::Active);
    list.OnDeleteFile
        = [this](TBrowser&, const std::string& path) { m_question->setText(QString::fromStdString(path)); };
    list.OnConfirmReadOnly = [](TBrowser&, int, const std::string&, bool& goAhead) { goAhead = true; };
    m_running = true;
    const bool complete = list.DeleteSelected();
    m_running = false;
    list.OnDeleteFile = nullptr;
    list.OnConfirmReadOnly = nullptr;
    const std::vector<std::string> failures = list.WalkFailures;

    const std::string name = CursorNameAfterDelete(list, list.CurIndex);
    list.Refresh();
    int index = 1;
    for (int i = 1; i <= list.Count; ++i)
        if (list.NameAt(i) == name)
            index = i;
    m_host.SetCursorIndex(PanelSide::Active, index);
    m_host.Update_AllPanels();
    if (!complete) {
        std::string message = text("NotDeleted");
        for (std::size_t i = 0; i < failures.size() && i < 10; ++i)
            message += "\n" + failures[i];
        messageBox(message, "Error", Buttons::Ok, Icon::Error);
    }
}

void TFormDelete::Execute(TFileOpsHost& host)
{
    TFormDelete window(host, host.Owner());
    window.FormShow();
    // Without the confirmation OK is pressed at once, on the shown window.
    if (!host.Settings().ConfirmDelete)
        QTimer::singleShot(0, &window, [&window] { window.Button_OKClick(); });
    window.exec();
}

} // namespace ov
