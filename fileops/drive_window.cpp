// The drive window; see drive_window.h.
#include "fileops/drive_window.h"

#include "panel/drive_facts.h"
#include "platform/dialogs.h"
#include "shell/language_file.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace ov {

namespace {

constexpr int rowHeight = 20;

} // namespace

TFormDrive::TFormDrive(TFileOpsHost& host, PanelSide side, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_side(side)
{
    setObjectName("TFormDrive");
    setModal(true);
    setWindowFlag(Qt::Tool);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_grid = new QListWidget(this);
    m_grid->setObjectName("DrawGrid1");
    m_grid->setUniformItemSizes(true);
    m_grid->setMouseTracking(true);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    layout->addWidget(m_grid);
    connect(m_grid, &QListWidget::itemEntered, this,
        [this](QListWidgetItem* item) { m_grid->setCurrentItem(item); });
    connect(m_grid, &QListWidget::itemActivated, this,
        [this](QListWidgetItem* item) { SetNewDrive(m_grid->row(item)); });
}

QPoint TFormDrive::Placement(const QRect& mainWindow, bool rightPanel)
{
    const int left = mainWindow.left() + (rightPanel ? mainWindow.width() / 2 : 0) + 40;
    return { left, mainWindow.top() + 90 };
}

bool TFormDrive::Execute(TFileOpsHost& host, PanelSide side)
{
    TFormDrive window(host, side, host.Owner());
    window.FormShow();
    if (const QWidget* owner = host.Owner()) {
        const bool rightPanel = host.ActiveIsLeft() != (side == PanelSide::Active);
        window.move(Placement(owner->frameGeometry(), rightPanel));
    }
    window.exec();
    return window.m_changed;
}

void TFormDrive::FormShow()
{
    setWindowTitle(QString::fromStdString(windowText(m_host.Language(), "ChangeDrive", "Caption")));
    m_rows = driveRows();
    m_grid->clear();
    const TBrowser& list = m_host.List(m_side);
    const char current = list.DiskRoot.empty() ? 'c' : lowerAscii(list.DiskRoot[0]);
    for (const DriveRow& row : m_rows) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.text), m_grid);
        item->setSizeHint(QSize(0, rowHeight));
        if (row.letter == current)
            m_grid->setCurrentItem(item);
    }
    // rows × 20 + 4 high, the window 38 taller, cut at the screen's height - 60.
    int height = static_cast<int>(m_rows.size()) * rowHeight + 4 + 38;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        height = std::min(height, screen->geometry().height() - 60);
    resize(160, std::max(height, 60));
    m_grid->setFocus();
}

int TFormDrive::SelectedRow() const
{
    return m_grid->currentRow();
}

bool TFormDrive::SetNewDrive(int row)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return false;
    const char letter = m_rows[static_cast<std::size_t>(row)].letter;
    if (!driveReadyWithin(letter, remoteDriveTimeout, ReadyProbe)) {
        // The box takes the focus; the window stays open behind it.
        m_inBox = true;
        messageBox(
            windowText(m_host.Language(), "ChangeDrive", "DriveNotReady"), "Error", Buttons::Ok, Icon::Error);
        m_inBox = false;
        return false;
    }
    const TBrowser& list = m_host.List(m_side);
    // The same folder on the new drive; an archive's folder means nothing there.
    const std::string folder = list.DiskKind == DiskKind::Standard ? list.Folder : std::string();
    m_host.OpenFolder(m_side, std::string(1, letter) + ":\\" + folder);
    m_host.SetCursorIndex(m_side, 1);
    m_host.Update_AllPanels();
    m_changed = true;
    accept();
    return true;
}

bool TFormDrive::ChooseLetter(char key)
{
    const char upper = key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string text = upperAscii(m_rows[i].text);
        if (!text.empty() && text[0] == upper) {
            m_grid->setCurrentRow(static_cast<int>(i));
            return SetNewDrive(static_cast<int>(i));
        }
    }
    return false;
}

void TFormDrive::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() == 1 && text[0].isLetter() && text[0].unicode() < 128) {
        ChooseLetter(static_cast<char>(text[0].unicode()));
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SetNewDrive(SelectedRow());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormDrive::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isLetter() && text[0].unicode() < 128) {
            ChooseLetter(static_cast<char>(text[0].unicode()));
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        reject();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QModelIndex index = m_grid->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (index.isValid()) {
            SetNewDrive(index.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormDrive::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() && !m_inBox)
        reject();
    QDialog::changeEvent(event);
}

} // namespace ov
