// The part every window of the file operations shares: while its walk runs
// (the list's own walk or the "system function"), the window is never
// closed or hidden: Esc, Cancel and the close box stop the walk after the
// current file instead.
#pragma once

#include "fileops/file_ops_host.h"

#include <QDialog>

#include <string>
#include <vector>

namespace ov {

class TFileOperation;

class WalkWindow : public QDialog {
public:
    // While a walk runs.
    bool Running() const { return m_running; }

    void Button_CancelClick();
    // Esc and the close box: Cancel while a walk runs, else close.
    void reject() override;

protected:
    WalkWindow(TFileOpsHost& host, QWidget* parent)
        : QDialog(parent)
        , m_host(host)
    {
    }

    // Runs the system function as this window's walk: Cancel reaches it
    // while it runs, and its progress handler is dropped afterwards.
    // What went wrong is shown afterwards, in one box.
    void runSystem(TFileOperation& operation);
    // Says what a walk reported although it did its work, once each.
    void showNotices(const std::vector<std::string>& notices);
    void closeEvent(QCloseEvent* event) override;

    TFileOpsHost& m_host;
    bool m_running = false;

private:
    void stopWalk();

    TFileOperation* m_system = nullptr; // while the system function runs
};

} // namespace ov
