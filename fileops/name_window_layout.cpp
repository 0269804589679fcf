// The create windows' shared layout; see name_window_layout.h.
#include "fileops/name_window_layout.h"

#include "shell/language_file.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ov {

NameWindowControls buildNameWindow(QDialog& window, const IniFile& language, const char* section)
{
    const auto text
        = [&](const char* key) { return QString::fromStdString(windowText(language, section, key)); };
    NameWindowControls controls;
    window.setModal(true);
    window.setWindowTitle(text("Caption"));
    auto* layout = new QVBoxLayout(&window);
    controls.group = new QGroupBox(text("GroupBoxCaption"), &window);
    controls.group->setObjectName("GroupBox1");
    auto* inside = new QVBoxLayout(controls.group);
    controls.name = new QComboBox(controls.group);
    controls.name->setObjectName("ComboBox1");
    controls.name->setEditable(true);
    controls.name->setMinimumWidth(280);
    inside->addWidget(controls.name);
    layout->addWidget(controls.group);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    controls.ok = new QPushButton(text("Button_OK"), &window);
    controls.ok->setObjectName("Button_OK");
    controls.ok->setDefault(true);
    controls.cancel = new QPushButton(text("Button_Cancel"), &window);
    controls.cancel->setObjectName("Button_Cancel");
    buttons->addWidget(controls.ok);
    buttons->addWidget(controls.cancel);
    layout->addLayout(buttons);
    return controls;
}

} // namespace ov
