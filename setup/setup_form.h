// TForm1: the installer's window, a wizard of three pages over the engine
// (setup/installer.h). State 1 is the welcome page (with the readme page
// behind "&Readme"), 2 the folder page, 1000 the finished page. The window
// sees every key first: Esc ends the program at any state, Enter acts as
// "&Next >", "&Install" or "&OK" by state. Questions and errors go through
// platform/dialogs.h, the start of ov through platform/launcher.h.
//
// Its own namespace keeps it apart from the file manager's main window of
// the same name.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace ov::setup {

class TForm2;

class TForm1 : public QDialog {
public:
    // `source` is the payload (data.res) the install unpacks.
    explicit TForm1(std::string source, QWidget* parent = nullptr);

    // Welcome page, and the readme page behind it.
    QLabel* Label1; // the title
    QLabel* WelcomeText;
    QPushButton* NextButton; // "&Next >"
    QPushButton* ReadmeButton; // "&Readme"
    QPushButton* CancelButton; // "&Cancel"
    QLabel* ReadmeText; // the product description
    QPushButton* ReadmeOkButton; // "OK"
    // Folder page.
    QLabel* FolderLabel;
    QLineEdit* FolderEdit;
    QPushButton* BrowseButton; // "&Browse"
    QLabel* WarningLabel;
    QPushButton* InstallButton; // "&Install"
    QPushButton* FolderCancelButton; // "&Cancel"
    QPushButton* ExitButton; // "&Exit"
    QProgressBar* Gauge;
    // Finished page.
    QLabel* FinishedText;
    QCheckBox* RunCheckBox; // "Run Orvanta right now"
    QLabel* Picture;
    QPushButton* OkButton; // "&OK"

    int State = 1; // 1 welcome, 2 folder page, 1000 finished
    // The picker; made on first use.
    TForm2* Form2 = nullptr;

    void ReadmeButtonClick();
    void ReadmeOkButtonClick();
    void NextButtonClick();
    void BrowseButtonClick();
    void InstallButtonClick();
    // "&OK", the two "&Cancel" and "&Exit": starts ov when the install finished and
    // the box is ticked, then ends the program.
    void OkButtonClick();
    // Esc and Enter; true when the key was used.
    bool FormKeyDown(int key);

    const std::string& source() const { return m_source; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPage(int page);
    void setFolderControlsEnabled(bool enabled);

    std::string m_source;
    std::string m_installed; // the folder of a finished install
};

} // namespace ov::setup
