// The folder-history window; see folder_hist_window.h.
#include "fileops/folder_hist_window.h"

#include "fileops/file_ops_host.h"
#include "fileops/folder_history.h"
#include "shell/language_file.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TFormFolderHist::TFormFolderHist(TFileOpsHost& host, FolderHistory& history, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_history(history)
{
    setModal(true);
    setWindowTitle(QString::fromStdString(text("Caption")));
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName("ListBox1");
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_enter = new QPushButton(QString::fromStdString(text("Button_Enter")), this);
    m_enter->setObjectName("Button_Enter");
    m_enter->setDefault(true);
    m_cancel = new QPushButton(QString::fromStdString(text("Button_Cancel")), this);
    m_cancel->setObjectName("Button_Cancel");
    buttons->addWidget(m_enter);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_enter, &QPushButton::clicked, this, [this] { Button_EnterClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Button_EnterClick(); });
}

std::string TFormFolderHist::text(const char* key) const
{
    return windowText(m_host.Language(), "FoldersHistory", key);
}

void TFormFolderHist::FormShow()
{
    m_list->clear();
    for (const std::string& folder : m_history.Items())
        m_list->addItem(QString::fromStdString(folder));
    m_list->setCurrentRow(m_list->count() - 1);
}

void TFormFolderHist::Button_EnterClick()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    OpenFolderPlace(m_host, PanelSide::Active, item->text().toStdString());
    m_host.Update_AllPanels();
    accept();
}

void OpenFolderPlace(TFileOpsHost& host, PanelSide side, const std::string& path)
{
    const ArchivePlace place = ArchivePlaceOf(path);
    if (place.archive.empty()) {
        host.OpenFolder(side, path);
        return;
    }
    host.OpenFolder(side, place.holder);
    host.EnterArchive(side, place.archive, place.folder);
}

void TFormFolderHist::Execute(TFileOpsHost& host)
{
    TFormFolderHist window(host, FolderHistory::shared(), host.Owner());
    window.FormShow();
    window.exec();
}

} // namespace ov
