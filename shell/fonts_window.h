// TFormSetFonts: the "Set fonts" dialog (Ctrl+F) for the active panel's
// list font. "C&hange font" asks for a font through the prompt service and
// puts it on the panel at once, with the panel's size setting, header and
// footer heights and the full mode's type and date column widths following
// it; the copy button gives the other panel the same font; "&Cancel" puts
// back the font the panel had when the dialog opened.
#pragma once

#include "panel/panel_settings.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QListWidget;
class QPushButton;

namespace ov {

class TForm1;
class TFPanel;

class TFormSetFonts : public QDialog {
public:
    // Activation happens here: the list entry is selected, the active
    // panel's font is remembered, the texts are set.
    explicit TFormSetFonts(TForm1& form, QWidget* parent = nullptr);

    // "C&hange font" and a double click on the list.
    void Button_SetClick();
    // The copy button.
    void Button_SetForClick();
    void Button_OKClick();
    void Button_CancelClick();
    // "&Cancel", Esc and closing the window put the remembered font back.
    void reject() override;

    static void Execute(TForm1& form);
    // How Execute runs the dialog (tests replace it; exec() by default).
    static std::function<int(QDialog&)> ModalRunner;

private:
    TFPanel* active() const;
    TFPanel* other() const;

    TForm1& m_form;
    // The active panel's font as it was when the dialog opened, with what
    // follows the font: the size setting and the two column widths.
    PanelSettings m_saved;
    QGroupBox* m_group = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_copy = nullptr;
};

} // namespace ov
