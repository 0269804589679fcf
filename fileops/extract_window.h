// The "Extract files" command: the dialog TFormExtract, which asks for the
// target folder and a password, and the progress window TFormExtFile, which
// counts the archive's members with the lister and runs one extraction
// (fileops/archive_extraction.h) into the target.
//
// The dialog is made once and kept with its password and its extraction
// engine, so a password that worked is tried again on later archives. The
// progress window lives for one run: it closes through its timer once the
// run has ended, after one box with every error of the run; Cancel, Esc
// and the close box stop the run after its current block.
#pragma once

#include "fileops/archive_extraction.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace ov {

class TFileOpsHost;

class TFormExtFile : public QDialog {
public:
    TFormExtFile(TFileOpsHost& host, ArchiveExtraction& engine, QWidget* parent = nullptr);

    // What the dialog hands over: host paths of the archive and the target
    // folder, the password typed.
    void setRun(const std::string& archive, const std::string& target, const std::string& password);

    // The run: counts the members, then extracts (also started by showing
    // the window). Boxes go through the prompt service.
    void FormActivate();
    // Closes the window once the run is done.
    void Timer1Timer();
    // Cancel, Esc and the close box: stop the run after the current block;
    // without a run the window closes.
    void Button_CancelClick();

    // The window over a member taken out for a viewer (no run of its own):
    // Label2 names the member, PB1 its per cent; Cancel, Esc and the close
    // box set cancelRequested.
    void showMember(const std::string& shownName, int percent);
    bool cancelRequested() const { return m_cancelRequested; }
    // How long a member is taken out before the window shows.
    static int SlowMemberDelayMs;

    int memberCount() const { return m_memberCount; }
    int filesBegun() const { return m_filesBegun; }
    bool done() const { return m_done; }
    const ExtractionResult& result() const { return m_result; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void progress(const ExtractionProgress& progress);
    void showErrors(const std::vector<ExtractionError>& errors);
    void finishRun();
    std::string text(const char* key) const;

    TFileOpsHost& m_host;
    ArchiveExtraction& m_engine;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QProgressBar* m_pb1 = nullptr;
    QProgressBar* m_pb2 = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_timer = nullptr;

    std::string m_archive;
    std::string m_target;
    std::string m_password;
    int m_memberCount = 0;
    int m_filesBegun = 0;
    std::string m_lastName;
    bool m_done = false;
    bool m_started = false;
    bool m_running = false;
    bool m_cancelRequested = false;
    ExtractionResult m_result;
};

// Makes the file manager show TFormExtFile over a member that F3, F4 or
// Enter takes out of an archive once that takes longer than
// TFormExtFile::SlowMemberDelayMs; makeHost gives the window its texts.
void installSlowMemberWindow(std::function<std::unique_ptr<TFileOpsHost>()> makeHost);

class TFormExtract : public QDialog {
public:
    // The one dialog of the program, made on first use.
    static TFormExtract& instance();

    // Shows the dialog modally over `host` (the main window).
    static void Execute(TFileOpsHost& host);

    // Edit1 := the other panel's folder.
    void FormActivate();
    // Hands archive, target and password to a progress window and runs it.
    void Button1Click();

    // The run's progress window while it is shown (tests), else null.
    TFormExtFile* progressWindow() const { return m_progress; }
    ArchiveExtraction& engine() { return m_engine; }
    void setHost(TFileOpsHost* host) { m_host = host; }

private:
    TFormExtract();
    // The archive under the active panel's cursor and the target folder as
    // host paths; false after a box when either cannot be extracted from or
    // into.
    bool hostPaths(std::string& archive, std::string& target);
    void applyTexts();

    TFileOpsHost* m_host = nullptr;
    ArchiveExtraction m_engine;
    QGroupBox* m_group = nullptr;
    QLabel* m_label1 = nullptr;
    QComboBox* m_edit1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_edit2 = nullptr;
    QPushButton* m_button1 = nullptr;
    QPushButton* m_button2 = nullptr;
    TFormExtFile* m_progress = nullptr;
};

} // namespace ov
