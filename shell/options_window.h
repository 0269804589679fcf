// TFormMainParam: the "Main options" dialog (Ctrl+P), a notebook of four
// pages over the main window's settings and the panel the Panels page edits.
// The values live in a MainOptionsValues (shell/main_options.h), which also
// holds the order in which "&OK" applies them; the window shows them, reads
// them back, and does what only a window can: opening the new language
// file, the window style, the tray icon, re-reading and laying out.
//
// Nothing here writes ov.ini: the changes reach it at the next save.
#pragma once

#include "shell/main_options.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace ov {

class TForm1;

class TFormMainParam : public QDialog {
public:
    // trayAvailable: whether the desktop shows tray icons; without one the
    // tray box is disabled.
    TFormMainParam(TForm1& form, bool trayAvailable, QWidget* parent = nullptr);

    // Texts and values from the language file, the settings and the panel.
    void FillForm();
    // The controls' values as they stand.
    MainOptionsValues Values() const;
    void Button_OKClick();
    void Button_CancelClick();
    // Asks (the main window's "Set default configuration"), then fills the
    // dialog again; a refused question leaves the dialog as it was.
    void Button_SetDefaultClick();

    // Creates the dialog, runs it modally and frees it.
    static void Execute(TForm1& form);
    // How Execute runs the dialog (tests replace it; exec() by default).
    static std::function<int(QDialog&)> ModalRunner;

private:
    void fillTexts();
    void fillValues(const MainOptionsValues& values);

    TForm1& m_form;
    bool m_trayAvailable;

    QTabWidget* m_pages = nullptr;
    // Main page.
    QLabel* m_splitterLabel = nullptr;
    QSpinBox* m_splitter = nullptr;
    QCheckBox* m_tray = nullptr;
    QCheckBox* m_sysCopy = nullptr;
    QCheckBox* m_recycle = nullptr;
    QCheckBox* m_onTop = nullptr;
    QGroupBox* m_editorBox = nullptr;
    QRadioButton* m_builtIn = nullptr;
    QRadioButton* m_external = nullptr;
    QLineEdit* m_editorName = nullptr;
    QCheckBox* m_oldDrag = nullptr;
    QCheckBox* m_autoSave = nullptr;
    // Panels page.
    QGroupBox* m_panelBox = nullptr;
    QLabel* m_columnsLabel = nullptr;
    QSpinBox* m_columns = nullptr;
    QLabel* m_lengthLabel = nullptr;
    QSpinBox* m_length = nullptr;
    QLabel* m_scrollLabel = nullptr;
    QSpinBox* m_scrollBand = nullptr;
    QCheckBox* m_showFreeDisk = nullptr;
    QCheckBox* m_showFileName = nullptr;
    QCheckBox* m_showFileSize = nullptr;
    QCheckBox* m_showFileDate = nullptr;
    QCheckBox* m_showCurDir = nullptr;
    QCheckBox* m_showHidden = nullptr;
    QCheckBox* m_showColors = nullptr;
    QCheckBox* m_showScrollBar = nullptr;
    QCheckBox* m_execFirst = nullptr;
    // Confirmation page.
    QCheckBox* m_confirmCopy = nullptr;
    QCheckBox* m_confirmMove = nullptr;
    QCheckBox* m_confirmDelete = nullptr;
    QCheckBox* m_confirmExit = nullptr;
    // Language page, in the order of OptionLanguages.
    QRadioButton* m_languages[5] = {};
    // Buttons.
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_setDefault = nullptr;
};

} // namespace ov
