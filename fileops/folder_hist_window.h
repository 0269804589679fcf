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
enum class PanelSide;

// Opens a folder path in a panel as the history's "&Enter" does: a folder
// on a drive as the panel reads a folder; a folder inside an archive
// ("c:\dir\pack.zip\docs\") by opening the folder that holds the archive,
// entering the archive and showing that folder in it. A path that is gone
// (archive, folder or both) opens as an empty list.
void OpenFolderPlace(TFileOpsHost& host, PanelSide side, const std::string& path);

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
