// TFormFolderHist: the folder-history window. It lists every folder the
// panels entered (FolderHistory::shared()) with the last one selected;
// "&Enter" or a double-click opens the chosen folder in the active panel.
#pragma once

#include <QDialog>

#include <string>

class QListWidget;
class QPushButton;

namespace ov {

class FolderHistory;
class TFileOpsHost;

class TFormFolderHist : public QDialog {
public:
    TFormFolderHist(TFileOpsHost& host, FolderHistory& history, QWidget* parent = nullptr);

    void FormShow();
    void Button_EnterClick();

    static void Execute(TFileOpsHost& host);

    QListWidget* List() const { return m_list; }

private:
    std::string text(const char* key) const;

    TFileOpsHost& m_host;
    FolderHistory& m_history;
    QListWidget* m_list = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ov
