// The file-highlighting window; see file_color_window.h.
#include "fileops/file_color_window.h"

#include "fileops/file_ops_host.h"
#include "panel/panel_text.h"
#include "platform/dialogs.h"
#include "shell/language_file.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TFormFileColor::TFormFileColor(TFileOpsHost& host, ExtensionColors& table, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
    , m_table(table)
{
    setModal(true);
    setWindowTitle(QString::fromStdString(text("Caption")));
    auto* layout = new QHBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName("ListBox1");
    m_list->setMouseTracking(true);
    for (const std::string_view extension : ExtensionColors::extensions())
        m_list->addItem(QString::fromUtf8(extension.data(), qsizetype(extension.size())));
    layout->addWidget(m_list);
    auto* side = new QVBoxLayout;
    m_sample = new QFrame(this);
    m_sample->setObjectName("Panel1");
    m_sample->setFrameShape(QFrame::Panel);
    m_sample->setMinimumSize(60, 40);
    m_sample->setAutoFillBackground(true);
    side->addWidget(m_sample);
    m_choose = new QPushButton(QString::fromStdString(text("Button_Choose")), this);
    m_choose->setObjectName("Button_Choose");
    side->addWidget(m_choose);
    side->addStretch();
    m_ok = new QPushButton(QString::fromStdString(text("Button_OK")), this);
    m_ok->setObjectName("Button_OK");
    m_ok->setDefault(true);
    side->addWidget(m_ok);
    layout->addLayout(side);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { showSample(row); });
    connect(m_list, &QListWidget::itemEntered, this,
        [this](QListWidgetItem* item) { showSample(m_list->row(item)); });
    connect(m_choose, &QPushButton::clicked, this, [this] { Button_ChooseClick(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
}

std::string TFormFileColor::text(const char* key) const
{
    return windowText(m_host.Language(), "FilesColors", key);
}

void TFormFileColor::showSample(int row)
{
    if (row < 0 || row >= int(ExtensionColors::Size))
        return;
    m_sampleColor = m_table.colors[std::size_t(row)];
    const uint32_t value = m_sampleColor < 0 ? 0 : uint32_t(m_sampleColor);
    QPalette palette = m_sample->palette();
    palette.setColor(
        QPalette::Window, QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF)));
    m_sample->setPalette(palette);
}

void TFormFileColor::FormShow()
{
    m_list->setCurrentRow(0);
    showSample(0);
}

void TFormFileColor::Button_ChooseClick()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= int(ExtensionColors::Size))
        return;
    int32_t color = m_table.colors[std::size_t(row)];
    if (!prompts().chooseColor(color))
        return;
    m_table.colors[std::size_t(row)] = color;
    showSample(row);
}

void TFormFileColor::Button_OKClick()
{
    m_host.Update_AllPanels();
    accept();
}

void TFormFileColor::Execute(TFileOpsHost& host)
{
    TFormFileColor window(host, ExtensionColors::shared(), host.Owner());
    window.FormShow();
    window.exec();
}

} // namespace ov
