// The copy window; see copy_window.h.
#include "fileops/copy_window.h"

#include "archive/message_codes.h"
#include "fileops/archive_extraction.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_operation.h"
#include "platform/process_messages.h"
#include "shell/language_file.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <optional>

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
    if (source.DiskKind == DiskKind::Archive && target.DiskKind == DiskKind::Standard) {
        showProgressView(m_from->text().toStdString());
        runArchiveCopy();
        return;
    }
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

void TFormCopy::runArchiveCopy()
{
    TBrowser& source = m_host.List(PanelSide::Active);
    TBrowser& target = m_host.List(PanelSide::Other);
    if (!m_fromDrag)
        source.CurIndex = m_host.CurrentIndex(PanelSide::Active);

    // The chosen entries: the selection, else the current entry unless it is "..".
    std::vector<int> chosen;
    if (source.SelCount > 0) {
        for (int i = 1; i <= source.Count; ++i)
            if (source.IsSelected(i))
                chosen.push_back(i);
    } else if (source.CurIndex >= 1 && source.CurIndex <= source.Count
        && !source.Entries[static_cast<std::size_t>(source.CurIndex - 1)].IsParent) {
        chosen.push_back(source.CurIndex);
    }
    if (chosen.empty()) {
        m_host.Update_AllPanels();
        finish();
        return;
    }

    const std::string caption = text("Caption");
    const DriveTable& drives = DriveTable::instance();
    const std::optional<std::string> archive = drives.toHost(source.DiskRoot);
    const std::string shownTarget = target.DiskRoot + target.Folder;
    const std::optional<std::string> folder = drives.toHost(shownTarget);
    if (!archive) {
        finish();
        messageBox(extractionErrorText({ { msgErrorOpening, source.DiskRoot, "0" } }), caption, Buttons::Ok,
            Icon::Information);
        return;
    }
    if (!folder) {
        finish();
        messageBox(windowText(m_host.Language(), "Extract", "TargetNoDrive") + "\r\r" + shownTarget, caption,
            Buttons::Ok, Icon::Error);
        return;
    }

    // Members by their inner paths, relative to the panel's folder; a
    // folder takes everything below it.
    ExtractionRequest request;
    request.archive = *archive;
    request.target = *folder;
    request.baseFolder = source.Folder;
    while (!request.baseFolder.empty() && request.baseFolder.back() == '\\')
        request.baseFolder.pop_back();
    for (const int index : chosen)
        request.members.push_back(source.Folder + source.NameAt(index));

    TotalBytes = source.SelectedSize();
    FinishedBytes = 0;
    ArchiveExtraction engine;
    // Cancel, Esc and the close box stop the list (its Busy flag drops):
    // the run then ends after its current block. The list stays Busy
    // otherwise, so keys that arrive meanwhile start nothing on it.
    engine.ProcessMessages = [&engine, &source] {
        letMessagesThrough();
        if (!source.Busy && !engine.cancelled())
            engine.cancel();
    };
    engine.AskPassword = [this](const std::string& member, std::string& password) {
        return prompts().askSecret(windowText(m_host.Language(), "Extract", "Label2"),
            DriveTable::instance().fromHost(member).value_or(member), password);
    };
    // The source line names the member as the panel does: the archive's
    // path, "\" and the inner path.
    const std::string targetPrefix = *folder + "/";
    const std::string shownSource = source.CurrentFolder();
    int32_t member = 0;
    engine.OnProgress = [this, &member, &targetPrefix, &shownSource](const ExtractionProgress& progress) {
        if (progress.memberNumber != member) {
            if (member > 0)
                fileEnded();
            member = progress.memberNumber;
            std::string name = progress.fileName;
            if (name.compare(0, targetPrefix.size(), targetPrefix) == 0)
                name.erase(0, targetPrefix.size());
            std::replace(name.begin(), name.end(), '/', '\\');
            fileStarted("Copied files: ", shownSource + name, progress.memberBytes);
        }
        progressed(progress.bytesDone - FinishedBytes, progress.memberBytes);
    };

    source.Busy = true;
    m_running = true;
    const ExtractionResult result = engine.run(request);
    m_running = false;
    source.Busy = false;
    // A finished run unselects what it copied, as the copy walk does.
    if (!result.cancelled)
        for (const int index : chosen)
            if (source.IsSelected(index))
                source.ToggleSelect(index);
    m_host.Update_AllPanels();
    finish();
    // The user's own cancel is no error; everything else shows in one box.
    const std::string errors = extractionErrorText(result.errors);
    if (!errors.empty())
        messageBox(errors, caption, Buttons::Ok, Icon::Information);
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
