// The video mode window: the current mode in a read-only box, the list of
// modes, "&Set mode" (default) and "&Cancel", over TVideoModes. Made per
// use and shown modally; the list is filled each time the window is shown.
#pragma once

#include "tools/video_mode.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace ov {

class IniFile;

class TFormVideo : public QDialog {
public:
    // display must outlive the window; languageName decides whether the
    // captions are the built-in English ones.
    TFormVideo(DisplayModes& display, const IniFile& language, const std::string& languageName,
        QWidget* parent = nullptr);

    TVideoModes& Modes() { return m_modes; }

    QLineEdit* Edit_Mode = nullptr;
    QListWidget* ListBox_Modes = nullptr;
    QPushButton* Button_Set = nullptr;
    QPushButton* Button_Cancel = nullptr;

    // Fills the box and the list, the first line selected.
    void FormActivate();
    // Sets the selected mode and shows the result's message.
    void Button_SetClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TVideoModes m_modes;
};

} // namespace ov
