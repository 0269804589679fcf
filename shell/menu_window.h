// TFormMenu: the user menu dialog (F2) over the UserMenu engine. It lists
// the entries of ov.mnu in the program folder, starts the chosen one, and
// edits the list after "&Options", writing the file when it closes.
#pragma once

#include "platform/ini_file.h"
#include "shell/user_menu.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ov {

class TFormMenu : public QDialog {
public:
    // language: the open language file; languageName picks the code page of
    // an older ov.mnu; programFolder holds ov.mnu (host path).
    TFormMenu(const IniFile& language, const std::string& languageName, const std::string& programFolder,
        QWidget* parent = nullptr);

    // The activation: loads the file into the basic layout. A malformed
    // file is reported with its line and shows what was read.
    void FormActivate();
    void Button_StartClick();
    void Button_OptionsClick();
    void Button_InsertClick();
    void Button_DeleteClick();
    void Button_ChangeClick();
    void Button_BrowseClick();
    // Esc and F2 close the dialog.
    void FormKeyDown(int key);
    // Closing writes the file when the changed flag is set; a failed write
    // is reported and the dialog stays open.
    void done(int result) override;

    const UserMenu& Menu() const { return m_menu; }
    std::string MenuPath() const { return m_folder + "/ov.mnu"; }

    // Creates the dialog, runs it modally and frees it.
    static void Execute(const IniFile& language, const std::string& languageName,
        const std::string& programFolder, QWidget* parent);
    // How Execute runs the dialog (tests replace it; exec() by default).
    static std::function<int(QDialog&)> ModalRunner;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string text(const char* key, const char* fallback) const;
    // Takes the edits and the selection into the engine, and shows its state.
    void takeInput();
    void showState();

    const IniFile& m_language;
    std::string m_languageName;
    std::string m_folder;
    UserMenu m_menu;
    bool m_activated = false;

    QListWidget* m_list = nullptr;
    QListWidget* m_comList = nullptr;
    QLineEdit* m_edit1 = nullptr;
    QLineEdit* m_edit2 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_options = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_change = nullptr;
};

} // namespace ov
