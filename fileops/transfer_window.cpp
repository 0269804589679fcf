// The shared part of the copy and rename/move windows; see transfer_window.h.
#include "fileops/transfer_window.h"

#include "platform/copy_rules.h"

#include "platform/dialogs.h"
#include "platform/file_operation.h"
#include "shell/language_file.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace ov {

TransferWindow::TransferWindow(TFileOpsHost& host, const char* section, QWidget* parent)
    : WalkWindow(host, parent)
    , m_section(section)
{
    setModal(true);
    setWindowTitle(QString::fromStdString(text("Caption")));
    auto* layout = new QVBoxLayout(this);
    m_views = new QStackedWidget(this);
    m_question = new QWidget(m_views);
    m_views->addWidget(m_question);

    auto* progress = new QWidget(m_views);
    auto* progressLayout = new QVBoxLayout(progress);
    m_status = new QLabel(progress);
    m_status->setObjectName("Label_Status");
    m_source = new QLabel(progress);
    m_source->setObjectName("Label_Source");
    m_fileBar = new QProgressBar(progress);
    m_fileBar->setObjectName("ProgressBar_File");
    m_totalBar = new QProgressBar(progress);
    m_totalBar->setObjectName("ProgressBar_Total");
    for (QProgressBar* bar : { m_fileBar, m_totalBar })
        bar->setRange(0, 100);
    progressLayout->addWidget(m_status);
    progressLayout->addWidget(m_source);
    progressLayout->addWidget(m_fileBar);
    progressLayout->addWidget(m_totalBar);
    m_views->addWidget(progress);
    layout->addWidget(m_views);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName("Button_Cancel");
    m_cancel->setText(QString::fromStdString(text("Button_Cancel")));
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
}

std::string TransferWindow::text(const char* key) const
{
    return windowText(m_host.Language(), m_section, key);
}

void TransferWindow::showProgressView(const std::string& sourceLine)
{
    m_views->setCurrentIndex(1);
    m_source->setText(QString::fromStdString(sourceLine));
    m_ok->setEnabled(false);
}

void TransferWindow::finish()
{
    FilesDone = 0;
    m_ok->setEnabled(true);
    m_cancel->setEnabled(true);
    done(QDialog::Accepted);
}

void TransferWindow::reportFailures(const std::string& errorText, const std::vector<std::string>& failures)
{
    std::string message = errorText;
    for (std::size_t i = 0; i < failures.size() && i < 10; ++i)
        message += "\n" + failures[i];
    if (failures.size() > 10)
        message += "\n... (" + std::to_string(failures.size() - 10) + ")";
    messageBox(message, "Error", Buttons::Ok, Icon::Error);
}

void TransferWindow::fileStarted(const std::string& statusPrefix, const std::string& from, int64_t size)
{
    m_status->setText(QString::fromStdString(statusPrefix + std::to_string(FilesDone)));
    m_source->setText(QString::fromStdString(from));
    CurrentSize = size;
}

// The bars only take their values; the walk lets messages (and so the
// repaint) through at most every 30 ms.
void TransferWindow::progressed(int64_t done, int64_t size)
{
    if (size > 0)
        m_fileBar->setValue(static_cast<int>(done * 100 / size));
    const int64_t sum = FinishedBytes + done;
    if (sum > 0 && TotalBytes > 0)
        m_totalBar->setValue(static_cast<int>(std::lround(
            std::min<double>(100.0, 100.0 * static_cast<double>(sum) / static_cast<double>(TotalBytes)))));
}

void TransferWindow::fileEnded()
{
    FinishedBytes += CurrentSize;
    ++FilesDone;
}

void TransferWindow::runOwnWalk(
    bool move, bool fromDrag, const std::string& statusPrefix, const std::string& errorText)
{
    TBrowser& source = m_host.List(PanelSide::Active);
    TBrowser& target = m_host.List(PanelSide::Other);
    if (!fromDrag)
        source.CurIndex = m_host.CurrentIndex(PanelSide::Active);
    source.OnCopyStart = [this, statusPrefix](TBrowser& list, int64_t total) {
        TotalBytes = total;
        FinishedBytes = 0;
        list.OnFileStart = [this, statusPrefix](TBrowser&, const std::string& from, const std::string&,
                               int64_t size) { fileStarted(statusPrefix, from, size); };
        list.OnProgress = [this](TBrowser&, int64_t done, int64_t size) { progressed(done, size); };
        list.OnFileEnd = [this](TBrowser&) { fileEnded(); };
        list.OnCopyEnd = nullptr;
    };
    // A later source of a name this copy already made: the user chooses,
    // and skipping is the safe answer.
    source.OnReplaceMade = [](TBrowser&, const std::string& to, const std::string& earlier,
                               const std::string& later, bool& replace) {
        replace = prompts().ask({ madeTwiceQuestion(to, earlier, later), "Confirm File Replace",
                      Buttons::YesNo, Icon::Question })
            == Answer::Yes;
    };
    m_running = true;
    const bool ok = source.CopyTo(target, move);
    m_running = false;
    const std::vector<std::string> failures = source.WalkFailures;
    const std::vector<std::string> notices = source.WalkNotices;
    source.OnReplaceMade = nullptr;
    source.OnCopyStart = nullptr;
    source.OnFileStart = nullptr;
    source.OnProgress = nullptr;
    source.OnFileEnd = nullptr;
    m_host.Update_AllPanels();
    finish();
    if (!ok)
        reportFailures(errorText, failures);
    showNotices(notices);
}

void TransferWindow::runSystemOperation(TFileOperation& operation, int index, const std::string& statusPrefix)
{
    TBrowser& source = m_host.List(PanelSide::Active);
    source.CurIndex = index;
    TotalBytes = source.SelectedSize();
    FinishedBytes = 0;
    // The operation names each path as it starts it; a new path ends the
    // one before.
    std::string current;
    operation.OnProgress = [&](const std::string& path, int64_t done, int64_t size) {
        if (path != current) {
            if (!current.empty())
                fileEnded();
            current = path;
            fileStarted(statusPrefix, path, size);
        }
        progressed(done, size);
    };
    runSystem(operation);
}

} // namespace ov
