// The video mode window; see video_window.h.
#include "tools/video_window.h"

#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "shell/language_file.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

TFormVideo::TFormVideo(
    DisplayModes& display, const IniFile& language, const std::string& languageName, QWidget* parent)
    : QDialog(parent)
    , m_modes(display)
{
    setObjectName("TFormVideo");
    setModal(true);
    const auto text = [&](const char* key, const char* builtIn) {
        return notEnglishText(language, languageName, "ChangeVideo", key, builtIn);
    };
    setWindowTitle(QString::fromStdString(text("Caption", "Change video mode")));
    m_modes.KeepCaption = text("Caption", "Change video mode");
    m_modes.KeepQuestion = text("Keep_Question", "Keep this display mode?");

    auto* layout = new QVBoxLayout(this);
    Edit_Mode = new QLineEdit(this);
    Edit_Mode->setObjectName("Edit_Mode");
    Edit_Mode->setReadOnly(true);
    layout->addWidget(Edit_Mode);
    ListBox_Modes = new QListWidget(this);
    ListBox_Modes->setObjectName("ListBox_Modes");
    layout->addWidget(ListBox_Modes);
    auto* buttons = new QHBoxLayout;
    Button_Set = new QPushButton(QString::fromStdString(text("Button_Set", "&Set mode")), this);
    Button_Set->setObjectName("Button_Set");
    Button_Set->setDefault(true);
    Button_Cancel = new QPushButton(QString::fromStdString(text("Button_Cancel", "&Cancel")), this);
    Button_Cancel->setObjectName("Button_Cancel");
    buttons->addStretch();
    buttons->addWidget(Button_Set);
    buttons->addWidget(Button_Cancel);
    layout->addLayout(buttons);

    connect(Button_Set, &QPushButton::clicked, this, [this] { Button_SetClick(); });
    connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox_Modes, &QListWidget::itemActivated, this, [this] { Button_SetClick(); });
}

void TFormVideo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormVideo::FormActivate()
{
    m_modes.Activate();
    Edit_Mode->setText(QString::fromStdString(m_modes.CurrentText()));
    ListBox_Modes->clear();
    for (const std::string& line : m_modes.Lines())
        ListBox_Modes->addItem(QString::fromStdString(line));
    if (ListBox_Modes->count() > 0)
        ListBox_Modes->setCurrentRow(0);
}

void TFormVideo::Button_SetClick()
{
    const int row = ListBox_Modes->currentRow();
    // Without a display there is nothing to choose: the change cannot be made.
    const std::string message = row < 0 ? videoResultText(-1) : m_modes.SetMode(row);
    Edit_Mode->setText(QString::fromStdString(m_modes.CurrentText()));
    if (!message.empty())
        messageBox(message, windowTitle().toStdString());
}

} // namespace ov
