// The find window: searches the active panel's disk for names matching
// masks, lists the full paths found, and goes to one of them or shows it.
//
// One window is created at start-up and kept, so its mask history and its
// last results stay while the program runs. The search is the file list's
// find walk on the user-interface thread: hits are gathered and appended to
// the result list in batches, and pending messages are let through at most
// every 30 ms, so the first hits show at once, Stop answers at once, and a
// search with many hits is not slowed by its own display. Esc, Cancel and
// the close box while searching stop the search, then close the window.
#pragma once

#include "fileops/file_ops_host.h"

#include <QAbstractListModel>
#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace ov {

// The result list: full paths, appended in batches.
class FindResults : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void clear();
    void append(std::vector<QString>& batch);
    const QString& at(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

private:
    std::vector<QString> m_rows;
};

class TFormFind : public QDialog {
public:
    explicit TFormFind(QWidget* parent = nullptr);

    // The window that lives for the whole run; the first call makes it (the
    // program calls it at start-up).
    static TFormFind& instance();

    // Shows the window modally for the host's active panel; afterwards, the
    // path chosen for Go to, or "" when none was.
    std::string Execute(TFileOpsHost& host);
    // What Execute does before the window shows: takes the host, loads the
    // texts, sets the buttons, resets the chosen result.
    void Prepare(TFileOpsHost& host);
    // Go to: opens path's folder (the part after the drive) on the active
    // list's own disk, puts the cursor on its name, refreshes the panels.
    static void GoTo(TFileOpsHost& host, const std::string& path);

    // What View shows for a result: the path itself on a drive; a member of
    // the archive the panel shows taken out into the run's private cache
    // (its copy's path there, empty when it cannot be taken out).
    std::string ViewablePath(const std::string& path);
    // Shows a path read-only (the editor window); set by the registration.
    std::function<void(const std::string& path)> OnView;

    // The buttons and events, as the user triggers them.
    void Button_FindClick();
    void Button_StopClick();
    void Button_GotoClick();
    void Button_ViewClick();
    void Button_CancelClick();
    void ResultDoubleClick(int row);
    void reject() override;

    bool Searching() const { return m_searching; }
    int Found() const { return m_found; }
    int Chosen() const { return m_chosen; }
    FindResults& Results() { return m_results; }
    // The folder part of the status bar and the count part.
    QString StatusFolder() const;
    QString StatusCount() const;
    // Called per hit; the window's own handler (benchmarks compare it with
    // a plain counting one).
    void addHit(const TBrowser& list, const std::string& folder, const std::string& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void loadTexts();
    void flush();
    void pump(const std::string* folder);
    void updateButtons();
    std::string chosenPath() const;

    TFileOpsHost* m_host = nullptr;
    FindResults m_results;
    std::vector<QString> m_pending;
    QElapsedTimer m_sincePump;
    bool m_searching = false;
    bool m_closeAfterSearch = false;
    int m_found = 0;
    int m_chosen = -1;

    QComboBox* m_mask = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_statusCount = nullptr;
    QLabel* m_statusFolder = nullptr;
    QPushButton* m_find = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_goto = nullptr;
    QPushButton* m_view = nullptr;
    QPushButton* m_cancel = nullptr;
    QGroupBox* m_group = nullptr;
    QRadioButton* m_inFolder = nullptr;
    QRadioButton* m_inDrive = nullptr;
    QRadioButton* m_allDrives = nullptr;
};

} // namespace ov
