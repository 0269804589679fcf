// The attributes window; see attrib_window.h.
#include "fileops/attrib_window.h"

#include "fileops/attributes.h"
#include "fileops/file_ops_host.h"
#include "fileops/name_window_layout.h"
#include "platform/dialogs.h"
#include "shell/language_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TFormAttrib::TFormAttrib(TFileOpsHost& host, QWidget* parent)
    : QDialog(parent)
    , m_host(host)
{
    const auto qtext = [this](const char* key) { return QString::fromStdString(text(key)); };
    setModal(true);
    setWindowTitle(qtext("Caption"));
    auto* layout = new QVBoxLayout(this);
    m_path = new QLabel(this);
    m_path->setObjectName("Label_Path");
    m_folder = new QLabel(this);
    m_folder->setObjectName("Label_Folder");
    m_date = new QLabel(this);
    m_date->setObjectName("Label_Date");
    layout->addWidget(m_path);
    layout->addWidget(m_folder);
    layout->addWidget(m_date);
    m_group = new QGroupBox(qtext("GroupBox_Caption"), this);
    m_group->setObjectName("GroupBox1");
    auto* boxes = new QVBoxLayout(m_group);
    const auto box = [&](const char* name, const char* key) {
        auto* check = new QCheckBox(qtext(key), m_group);
        check->setObjectName(name);
        boxes->addWidget(check);
        return check;
    };
    m_readOnly = box("CheckBox_ReadOnly", "type_ReadOnly");
    m_archive = box("CheckBox_Archive", "type_Archive");
    m_system = box("CheckBox_System", "type_System");
    m_hidden = box("CheckBox_Hidden", "type_Hidden");
    layout->addWidget(m_group);
    addOkCancelRow(*layout, qtext("Button_OK"), qtext("Button_Cancel"), m_ok, m_cancel);
    connect(m_ok, &QPushButton::clicked, this, [this] { Button_OKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
}

std::string TFormAttrib::text(const char* key) const
{
    return windowText(m_host.Language(), "Attrib", key);
}

bool TFormAttrib::FormShow()
{
    const TBrowser& list = m_host.List(PanelSide::Active);
    Entry entry;
    list.EntryAt(m_host.CurrentIndex(PanelSide::Active), entry);
    if (entry.IsParent || entry.FullName.empty())
        return false;
    m_windowsPath = list.CurrentFolder() + entry.FullName;
    m_old = entry.Attr;
    m_writable = list.DiskKind == DiskKind::Standard;
    m_path->setText(QString::fromStdString(m_windowsPath));
    m_folder->setText(QString::fromStdString(list.CurrentFolder()));
    m_date->setText(QString::fromStdString(AttribDateText(entry.Written)));
    m_readOnly->setChecked(entry.Attr & faReadOnly);
    m_archive->setChecked(entry.Attr & faArchive);
    m_system->setChecked(entry.Attr & faSysFile);
    m_hidden->setChecked(entry.Attr & faHidden);
    // A dot-name is hidden by its name; a folder's write bit guards its
    // files, not itself, so it is no read-only box.
    const bool dotName = entry.FullName[0] == '.';
    m_readOnly->setEnabled(m_writable && !entry.isFolder());
    m_archive->setEnabled(m_writable);
    m_system->setEnabled(m_writable);
    m_hidden->setEnabled(m_writable && !dotName);
    return true;
}

void TFormAttrib::Button_OKClick()
{
    if (m_writable) {
        const uint16_t word = NewAttributeWord(m_old, m_readOnly->isChecked(), m_archive->isChecked(),
            m_system->isChecked(), m_hidden->isChecked());
        if (WriteAttributeWord(m_windowsPath, m_old, word) == AttributeWrite::Failed) {
            m_host.Update_AllPanels();
            messageBox(text("Error_SetAttr"), "Error", Buttons::Ok, Icon::Error);
            return;
        }
        m_old = word;
    }
    m_host.Update_AllPanels();
    accept();
}

void TFormAttrib::closeEvent(QCloseEvent* event)
{
    Button_OKClick();
    event->accept();
    QDialog::closeEvent(event);
}

void TFormAttrib::Execute(TFileOpsHost& host)
{
    TFormAttrib window(host, host.Owner());
    if (!window.FormShow())
        return;
    window.exec();
}

} // namespace ov
