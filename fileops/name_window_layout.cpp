// The create windows' shared part; see name_window_layout.h.
#include "fileops/name_window_layout.h"

#include "fileops/file_ops_host.h"
#include "shell/language_file.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TNameWindow::TNameWindow(TFileOpsHost& host, const char* section, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
{
    const IniFile& language = host.Language();
    const auto text
        = [&](const char* key) { return QString::fromStdString(windowText(language, section, key)); };
    setModal(true);
    setWindowTitle(text("Caption"));
    auto* layout = new QVBoxLayout(this);
    m_group = new QGroupBox(text("GroupBoxCaption"), this);
    m_group->setObjectName("GroupBox1");
    auto* inside = new QVBoxLayout(m_group);
    m_name = new QComboBox(m_group);
    m_name->setObjectName("ComboBox1");
    m_name->setEditable(true);
    m_name->setMinimumWidth(280);
    inside->addWidget(m_name);
    layout->addWidget(m_group);
    addOkCancelRow(*layout, text("Button_OK"), text("Button_Cancel"), m_ok, m_cancel);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void addOkCancelRow(QBoxLayout& layout, const QString& okText, const QString& cancelText, QPushButton*& ok,
    QPushButton*& cancel)
{
    QWidget* window = layout.parentWidget();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok = new QPushButton(okText, window);
    ok->setObjectName("Button_OK");
    ok->setDefault(true);
    cancel = new QPushButton(cancelText, window);
    cancel->setObjectName("Button_Cancel");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout.addLayout(buttons);
}

void TNameWindow::FormShow()
{
    m_name->setEditText(QString());
    m_name->setFocus();
}

} // namespace ov
