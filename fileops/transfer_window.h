// The part the copy window and the rename/move window share: a question
// view and a progress view in one place, OK and Cancel below them, and the
// progress handlers of the copy walk and of the system function.
#pragma once

#include "fileops/walk_window.h"

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace ov {

class TFileOperation;

class TransferWindow : public WalkWindow {
public:
    // Copy state kept by the window.
    int64_t TotalBytes = 0;
    int64_t FinishedBytes = 0;
    int64_t CurrentSize = 0;
    int FilesDone = 0;

protected:
    TransferWindow(TFileOpsHost& host, const char* section, QWidget* parent);

    // The walk of the own engine: the active list into the other panel's
    // folder. Both panels are refreshed afterwards; a failure brings up
    // errorText with what could not be done.
    void runOwnWalk(bool move, bool fromDrag, const std::string& statusPrefix, const std::string& errorText);
    // The "system function" with the same progress view: per file the
    // status and source lines, both bars against the bytes of the active
    // list's selection (or of entry index without one), messages through at
    // most every 30 ms; Cancel, Esc and the close box stop it after the
    // current file.
    void runSystemOperation(TFileOperation& operation, int index, const std::string& statusPrefix);
    void showProgressView(const std::string& sourceLine);
    std::string text(const char* key) const;
    // Shows errorText, and the walk's failures under it, in one box.
    static void reportFailures(const std::string& errorText, const std::vector<std::string>& failures);
    void finish();

    const char* m_section;
    QStackedWidget* m_views = nullptr;
    QWidget* m_question = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_source = nullptr;
    QProgressBar* m_fileBar = nullptr;
    QProgressBar* m_totalBar = nullptr;

    // The progress view's handlers: a file begins, advances, ends.
    void fileStarted(const std::string& statusPrefix, const std::string& from, int64_t size);
    void progressed(int64_t done, int64_t size);
    void fileEnded();
};

} // namespace ov
