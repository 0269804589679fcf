// TFormPlus: the group-selection window (gray +, gray -, "Select group").
// Made on first use and kept, so the mask history lasts for the program run.
// The caller sets Mode (select 1, unselect 777) and Folders (files only 1,
// with folders 777); both go back to 1 when the window closes.
#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;

namespace ov {

class TFileOpsHost;

class TFormPlus : public QDialog {
public:
    explicit TFormPlus(QWidget* parent = nullptr);

    int Mode = 1;
    int Folders = 1;

    // Selects or unselects the active panel's entries matching the mask,
    // adds the mask to the history, refreshes and closes.
    void Button_OKClick(TFileOpsHost& host);

    // The kept window: runs it on the host with the mode and folders given,
    // which the host's own settings get back as 1 when it closes.
    static void Execute(TFileOpsHost& host, int& mode, int& folders);
    static TFormPlus& instance(QWidget* parent);

    QComboBox* MaskBox() const { return m_mask; }

private:
    QLabel* m_label = nullptr;
    QComboBox* m_mask = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    TFileOpsHost* m_host = nullptr; // while Execute runs
};

} // namespace ov
