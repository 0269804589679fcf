// The shape the create-folder and create-file windows share: a group with an
// editable drop-down for the name, then OK (default) and Cancel, every text
// from the window's language section.
#pragma once

#include <string>

class QComboBox;
class QDialog;
class QGroupBox;
class QPushButton;

namespace ov {

class IniFile;

struct NameWindowControls {
    QGroupBox* group = nullptr;
    QComboBox* name = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

NameWindowControls buildNameWindow(QDialog& window, const IniFile& language, const char* section);

} // namespace ov
