// The sort-modes window; see sort_window.h.
#include "fileops/sort_window.h"

#include "fileops/file_ops_host.h"
#include "shell/language_file.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace ov {

namespace {

constexpr std::array<int, 5> rowModes { srName, srExt, srSize, srDate, srNone };

} // namespace

int TFormSort::ModeOfRow(int row)
{
    return row >= 0 && row < int(rowModes.size()) ? rowModes[std::size_t(row)] : srName;
}

int TFormSort::RowOfMode(int mode)
{
    for (std::size_t i = 0; i < rowModes.size(); ++i)
        if (rowModes[i] == mode)
            return int(i);
    return 0;
}

std::string TFormSort::SettingOfMode(int mode)
{
    switch (mode) {
    case srExt:
        return "srExt";
    case srSize:
        return "srSize";
    case srDate:
        return "srDate";
    case srNone:
        return "srNone";
    default:
        return "srName";
    }
}

TFormSort::TFormSort(TFileOpsHost& host, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
{
    setModal(true);
    setWindowTitle(QString::fromStdString(text(host.ActiveIsLeft() ? "Caption1" : "Caption2")));
    auto* layout = new QVBoxLayout(this);
    m_group = new QGroupBox(this);
    m_group->setObjectName("GroupBox1");
    auto* inside = new QVBoxLayout(m_group);
    m_list = new QListWidget(m_group);
    m_list->setObjectName("ListBox1");
    m_list->setMouseTracking(true);
    for (const char* key : { "s1", "s2", "s3", "s4", "s5" }) {
        auto* item = new QListWidgetItem(QString::fromStdString(text(key)), m_list);
        item->setSizeHint(QSize(0, host.PanelFontSize() + 5));
    }
    inside->addWidget(m_list);
    layout->addWidget(m_group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("Button_OK");
    m_ok->setDefault(true);
    buttons->addWidget(m_ok);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_list, &QListWidget::itemActivated, this, [this] { Button_OKClick(); });
    // Moving the mouse over the list selects the item under it.
    connect(m_list, &QListWidget::itemEntered, this,
        [this](QListWidgetItem* item) { m_list->setCurrentItem(item); });
}

std::string TFormSort::text(const char* key) const
{
    return windowText(m_host.Language(), "SortModes", key);
}

void TFormSort::FormShow()
{
    const int row = RowOfMode(m_host.List(PanelSide::Active).SortMode);
    m_list->setCurrentRow(row);
    m_group->setTitle(QString::fromStdString(
        " " + text("GB_Caption") + " " + text(("s" + std::to_string(row + 1)).c_str()) + " "));
    const QRect active = m_host.PanelRect(PanelSide::Active);
    const QRect left = m_host.PanelRect(m_host.ActiveIsLeft() ? PanelSide::Active : PanelSide::Other);
    if (!active.isEmpty() && !left.isEmpty())
        move(active.left() + 30, left.top() + 30);
}

void TFormSort::Button_OKClick()
{
    const int mode = ModeOfRow(m_list->currentRow());
    m_host.SetSortMode(PanelSide::Active, mode);
    m_host.Update_AllPanels();
    accept();
}

void TFormSort::Execute(TFileOpsHost& host)
{
    TFormSort window(host, host.Owner());
    window.FormShow();
    window.exec();
}

} // namespace ov
