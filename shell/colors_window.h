// TFormSetColors: the "Set colors" dialog (Ctrl+C) for the active panel. It
// edits a working copy of the panel's ten colours (shell/panel_colors.h),
// shows them on a drawn preview with a blinking "<<" marker (L1) at the
// selected slot, and applies them on "&OK"; the copy button gives the other
// panel the active panel's applied colours at once.
#pragma once

#include "shell/panel_colors.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace ov {

class TForm1;
class TFPanel;

class TFormSetColors : public QDialog {
public:
    // Activation happens here: the timer starts, the working colours are
    // the active panel's, slot 0 is selected, the texts are set.
    explicit TFormSetColors(TForm1& form, QWidget* parent = nullptr);

    // The selected slot: the group caption names it and the marker moves to it.
    void ListBox1MouseMove();
    // "C&hoose" and a double click on the list.
    void Button_SetClick();
    void Button_OKClick();
    void Button_CancelClick();
    // The copy button.
    void Button_SetForClick();
    // The marker timer's tick: the marker's visibility flips.
    void Timer1Timer();
    // Closing stops the marker timer.
    void done(int result) override;

    const PanelColors& WorkingColors() const { return m_working; }
    // The preview as last drawn.
    const QImage& Preview() const { return m_preview; }
    // Draws the preview from the working colours.
    void DrawPreview();

    static void Execute(TForm1& form);
    // How Execute runs the dialog (tests replace it; exec() by default).
    static std::function<int(QDialog&)> ModalRunner;

private:
    TFPanel* active() const;
    TFPanel* other() const;
    int slot() const;

    TForm1& m_form;
    PanelColors m_working {};
    QImage m_preview;
    QListWidget* m_list = nullptr;
    QGroupBox* m_group = nullptr;
    QLabel* m_paintBox = nullptr;
    QLabel* m_marker = nullptr;
    QTimer* m_timer = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_copy = nullptr;
};

} // namespace ov
