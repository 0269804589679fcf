// The group-selection window; see plus_window.h.
#include "fileops/plus_window.h"

#include "fileops/file_ops_host.h"
#include "fileops/group_select.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TFormPlus::TFormPlus(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
    setWindowTitle("Expand selection");
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel("Specify file type", this);
    m_label->setObjectName("Label1");
    layout->addWidget(m_label);
    m_mask = new QComboBox(this);
    m_mask->setObjectName("ComboBox1");
    m_mask->setEditable(true);
    m_mask->setInsertPolicy(QComboBox::NoInsert);
    m_mask->setEditText("*.*");
    layout->addWidget(m_mask);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("Button_OK");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("Button_Cancel");
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (m_host)
            Button_OKClick(*m_host);
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormPlus::Button_OKClick(TFileOpsHost& host)
{
    const QString mask = m_mask->currentText();
    SelectGroup(host.List(PanelSide::Active), mask.toStdString(), Mode != SelectGroupUnselect,
        Folders == SelectGroupWithFolders);
    host.RepaintPanels();
    if (m_mask->findText(mask) < 0)
        m_mask->addItem(mask);
    m_mask->setEditText(mask);
    accept();
}

TFormPlus& TFormPlus::instance(QWidget* parent)
{
    static TFormPlus* window = new TFormPlus(parent);
    return *window;
}

void TFormPlus::Execute(TFileOpsHost& host, int& mode, int& folders)
{
    TFormPlus& window = instance(host.Owner());
    window.Mode = mode;
    window.Folders = folders;
    window.m_host = &host;
    window.exec();
    window.m_host = nullptr;
    window.Mode = mode = SelectGroupSelect;
    window.Folders = folders = SelectGroupFilesOnly;
}

} // namespace ov
