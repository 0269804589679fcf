// The find window; see find_window.h.
#include "fileops/find_window.h"

#include "fileops/folder_history.h"
#include "platform/drives.h"
#include "platform/host_file.h"
#include "platform/private_cache.h"
#include "platform/process_messages.h"
#include "shell/language_file.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ov {

namespace {

// Hits gathered before they are appended are let through at this pace.
constexpr qint64 pumpMilliseconds = 30;

// Never destroyed with the static objects, which outlive the application:
// it goes when the application quits.
TFormFind*& kept()
{
    static TFormFind* window = nullptr;
    return window;
}

TFormFind& keep(TFormFind* window)
{
    kept() = window;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] {
        delete kept();
        kept() = nullptr;
    });
    return *window;
}

} // namespace

int FindResults::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant FindResults::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return m_rows[static_cast<std::size_t>(index.row())];
}

void FindResults::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FindResults::append(std::vector<QString>& batch)
{
    if (batch.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    for (QString& row : batch)
        m_rows.push_back(std::move(row));
    endInsertRows();
    batch.clear();
}

TFormFind::TFormFind(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("TFormFind");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_mask = new QComboBox(this);
    m_mask->setObjectName("ComboBox_Mask");
    m_mask->setEditable(true);
    m_mask->setInsertPolicy(QComboBox::NoInsert);
    m_mask->setEditText("*.*");
    layout->addWidget(m_mask);

    auto* middle = new QHBoxLayout;
    m_list = new QListView(this);
    m_list->setObjectName("ListBox_Results");
    m_list->setModel(&m_results);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    middle->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](QPushButton*& into, const char* name) {
        into = new QPushButton(this);
        into->setObjectName(name);
        into->setAutoDefault(false);
        buttons->addWidget(into);
    };
    button(m_find, "Button_Find");
    button(m_stop, "Button_Stop");
    button(m_goto, "Button_Goto");
    button(m_view, "Button_View");
    button(m_cancel, "Button_Cancel");
    buttons->addStretch();
    m_find->setDefault(true);
    middle->addLayout(buttons);
    layout->addLayout(middle, 1);

    m_group = new QGroupBox(this);
    m_group->setObjectName("GroupBox1");
    auto* choices = new QVBoxLayout(m_group);
    m_inFolder = new QRadioButton(m_group);
    m_inFolder->setObjectName("Check_FindInFolder");
    m_inFolder->setChecked(true);
    m_inDrive = new QRadioButton(m_group);
    m_inDrive->setObjectName("Check_FindInDrive");
    m_allDrives = new QRadioButton(m_group);
    m_allDrives->setObjectName("Check_FindInAllDrives");
    m_allDrives->setEnabled(false);
    choices->addWidget(m_inFolder);
    choices->addWidget(m_inDrive);
    choices->addWidget(m_allDrives);
    layout->addWidget(m_group);

    auto* status = new QHBoxLayout;
    m_statusCount = new QLabel(this);
    m_statusCount->setObjectName("StatusBar_Count");
    m_statusCount->setMinimumWidth(80);
    m_statusFolder = new QLabel(this);
    m_statusFolder->setObjectName("StatusBar_Folder");
    status->addWidget(m_statusCount);
    status->addWidget(m_statusFolder, 1);
    layout->addLayout(status);

    m_stop->setEnabled(false);
    updateButtons();
    connect(m_find, &QPushButton::clicked, this, [this] { Button_FindClick(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { Button_StopClick(); });
    connect(m_goto, &QPushButton::clicked, this, [this] { Button_GotoClick(); });
    connect(m_view, &QPushButton::clicked, this, [this] { Button_ViewClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(); });
    connect(m_list, &QListView::doubleClicked, this,
        [this](const QModelIndex& index) { ResultDoubleClick(index.row()); });
    resize(520, 380);
}

TFormFind& TFormFind::instance()
{
    return kept() ? *kept() : keep(new TFormFind);
}

QString TFormFind::StatusFolder() const
{
    return m_statusFolder->text();
}

QString TFormFind::StatusCount() const
{
    return m_statusCount->text();
}

void TFormFind::loadTexts()
{
    const IniFile& language = m_host->Language();
    const auto text = [&language](const char* key) {
        return QString::fromStdString(windowText(language, "FindFile", key));
    };
    setWindowTitle(text("Caption"));
    for (auto [widget, key] :
        { std::pair<QPushButton*, const char*> { m_find, "Button_Find" }, { m_goto, "Button_Goto" },
            { m_view, "Button_View" }, { m_stop, "Button_Stop" }, { m_cancel, "Button_Cancel" } })
        widget->setText(text(key));
    m_inFolder->setText(text("Check_FindInFolder"));
    m_inDrive->setText(text("Check_FindInDrive"));
    m_allDrives->setText(text("Check_FindInAllDrives"));
    m_group->setTitle(" " + text("GB_Caption") + " ");
}

void TFormFind::updateButtons()
{
    const bool several = m_results.rowCount() >= 2 && !m_searching;
    m_goto->setEnabled(several);
    m_view->setEnabled(several);
}

void TFormFind::Prepare(TFileOpsHost& host)
{
    m_host = &host;
    loadTexts();
    updateButtons();
    m_mask->setFocus();
    m_mask->lineEdit()->selectAll();
    m_chosen = -1;
}

std::string TFormFind::Execute(TFileOpsHost& host)
{
    Prepare(host);
    exec();
    const std::string path = chosenPath();
    if (!path.empty())
        GoTo(host, path);
    return path;
}

std::string TFormFind::chosenPath() const
{
    if (m_chosen < 0 || m_chosen >= m_results.rowCount())
        return std::string();
    return m_results.at(m_chosen).toStdString();
}

void TFormFind::addHit(const TBrowser& list, const std::string& folder, const std::string& name)
{
    m_pending.push_back(QString::fromStdString(list.FullFolder(folder) + name));
    ++m_found;
    pump(nullptr);
}

void TFormFind::flush()
{
    m_results.append(m_pending);
    m_statusCount->setText(QString::number(m_found));
}

void TFormFind::pump(const std::string* folder)
{
    if (folder && m_sincePump.elapsed() < pumpMilliseconds) {
        // The folder shows at the next pump; only its text is kept.
        m_statusFolder->setText(QString::fromStdString(m_host->List(PanelSide::Active).FullFolder(*folder)));
        return;
    }
    if (!folder && m_sincePump.elapsed() < pumpMilliseconds)
        return;
    if (folder)
        m_statusFolder->setText(QString::fromStdString(m_host->List(PanelSide::Active).FullFolder(*folder)));
    flush();
    m_sincePump.restart();
    processMessages();
}

void TFormFind::Button_FindClick()
{
    if (m_searching)
        return;
    if (m_list->hasFocus()) {
        Button_GotoClick();
        return;
    }
    const QString mask = m_mask->currentText();
    if (mask.isEmpty() || !m_host)
        return;
    if (m_mask->findText(mask) < 0)
        m_mask->insertItem(0, mask);
    m_mask->setEditText(mask);
    m_statusCount->clear();
    m_statusFolder->clear();
    m_searching = true;
    m_closeAfterSearch = false;
    for (QWidget* widget :
        std::initializer_list<QWidget*> { m_find, m_goto, m_view, m_mask, m_inFolder, m_inDrive })
        widget->setEnabled(false);
    m_stop->setEnabled(true);
    m_results.clear();
    m_pending.clear();
    m_found = 0;

    TBrowser& list = m_host->List(PanelSide::Active);
    list.OnFindFolder = [this](TBrowser&, const std::string& folder) { pump(&folder); };
    list.OnFindFile = [this](TBrowser& sender, const std::string& folder, const std::string& name) {
        addHit(sender, folder, name);
    };
    m_sincePump.start();
    list.FindFiles(m_inFolder->isChecked() ? list.Folder : std::string(), mask.toStdString());
    list.OnFindFolder = nullptr;
    list.OnFindFile = nullptr;
    flush();

    m_searching = false;
    m_statusFolder->clear();
    for (QWidget* widget : std::initializer_list<QWidget*> { m_find, m_mask, m_inFolder, m_inDrive })
        widget->setEnabled(true);
    m_stop->setEnabled(false);
    updateButtons();
    if (m_results.rowCount() >= 2)
        m_list->setCurrentIndex(m_results.index(0));
    m_list->setFocus();
    if (m_closeAfterSearch)
        QDialog::reject();
}

void TFormFind::Button_StopClick()
{
    if (m_searching && m_host)
        m_host->List(PanelSide::Active).Stop();
}

void TFormFind::ResultDoubleClick(int row)
{
    if (m_searching || row < 0 || row >= m_results.rowCount())
        return;
    m_chosen = row;
    accept();
}

void TFormFind::Button_GotoClick()
{
    if (m_searching || m_results.rowCount() < 2)
        return;
    const QModelIndex current = m_list->currentIndex();
    ResultDoubleClick(current.isValid() ? current.row() : 0);
}

std::string TFormFind::ViewablePath(const std::string& path)
{
    if (!m_host)
        return std::string();
    TBrowser& list = m_host->List(PanelSide::Active);
    const std::string archivePrefix = list.DiskRoot + "\\";
    if (list.DiskKind != DiskKind::Archive || path.compare(0, archivePrefix.size(), archivePrefix) != 0)
        return path;
    // A member of the archive shown: taken out through its disk, as F3
    // takes one out, into a folder of its own in the run's private cache.
    const std::string inner = path.substr(archivePrefix.size());
    const std::string cache = privateCacheFolder();
    if (!list.Disk || list.Busy || cache.empty())
        return std::string();
    static uint64_t counter = 0;
    std::string folder;
    for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
        const std::string candidate = cache + "/found" + std::to_string(++counter);
        if (makeHostFolder(candidate))
            folder = candidate;
    }
    const auto windowsFolder = folder.empty() ? std::nullopt : DriveTable::instance().fromHost(folder);
    if (!windowsFolder)
        return std::string();
    const std::string target = *windowsFolder + "\\" + inner.substr(inner.rfind('\\') + 1);
    // The extractor lets messages through: keys meanwhile change nothing.
    list.Busy = true;
    const bool taken = list.Disk->GetFile(inner, target);
    list.Busy = false;
    return taken ? target : std::string();
}

void TFormFind::Button_ViewClick()
{
    if (m_searching || m_results.rowCount() < 2 || !OnView)
        return;
    const QModelIndex current = m_list->currentIndex();
    const std::string path = ViewablePath(m_results.at(current.isValid() ? current.row() : 0).toStdString());
    if (!path.empty())
        OnView(path);
}

void TFormFind::Button_CancelClick()
{
    if (m_searching) {
        m_closeAfterSearch = true;
        Button_StopClick();
        return;
    }
    QDialog::reject();
}

void TFormFind::reject()
{
    Button_CancelClick();
}

void TFormFind::closeEvent(QCloseEvent* event)
{
    if (m_searching) {
        event->ignore();
        Button_CancelClick();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormFind::GoTo(TFileOpsHost& host, const std::string& path)
{
    TBrowser& list = host.List(PanelSide::Active);
    // A list in a walk keeps its folder; the panel would show one and
    // hold another.
    if (list.Busy)
        return;
    std::string inner;
    const std::string archivePrefix = list.DiskRoot + "\\";
    const bool sameArchive = list.DiskKind == DiskKind::Archive && path.size() > archivePrefix.size()
        && path.compare(0, archivePrefix.size(), archivePrefix) == 0;
    if (sameArchive) {
        inner = path.substr(archivePrefix.size());
    } else {
        const std::size_t drive = path.find('\\');
        inner = drive == std::string::npos ? path : path.substr(drive + 1);
    }
    const std::size_t last = inner.rfind('\\');
    const std::string folder = last == std::string::npos ? std::string() : inner.substr(0, last + 1);
    const std::string name = last == std::string::npos ? inner : inner.substr(last + 1);
    if (sameArchive) {
        // Inside the archive shown: its folder on the pushed disk. Opening
        // the disk again would pop the archive.
        list.Folder = folder;
        list.ReadDir();
    } else {
        // The path's folder on the panel's own drive (the drive under an
        // archive the panel shows); a folder inside an archive there is
        // entered as the folder history enters it.
        const std::string root = list.DriveRoot();
        const ArchivePlace place = ArchivePlaceOf(root + folder);
        if (place.archive.empty()) {
            list.OpenDisk(root, DiskKind::Standard, folder);
        } else {
            list.OpenDisk(root, DiskKind::Standard, place.holder.substr(root.size()));
            host.EnterArchive(PanelSide::Active, place.archive, place.folder);
        }
    }
    // The name itself first: as a mask, a name holding ";" or "," would be
    // taken apart, and one holding "?" or "*" could match another entry.
    int index = 0;
    for (int i = 1; i <= list.Count && !index; ++i)
        if (list.NameAt(i) == name)
            index = i;
    if (index)
        list.CurIndex = index;
    else
        list.FindNextMatch(name);
    host.SetCursorIndex(PanelSide::Active, list.CurIndex);
    host.Update_AllPanels();
}

} // namespace ov
