// TFormNewDir: the create-folder window (F7). One editable drop-down for the
// name; OK makes the folder (see create_entry.h), refreshes both panels and
// puts the active panel's cursor on the new folder.
#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QGroupBox;
class QPushButton;

namespace ov {

class TFileOpsHost;

class TFormNewDir : public QDialog {
public:
    explicit TFormNewDir(TFileOpsHost& host, QWidget* parent = nullptr);

    void FormShow();
    void Button_OKClick();

    static void Execute(TFileOpsHost& host);

    QComboBox* NameBox() const { return m_name; }

private:
    TFileOpsHost& m_host;
    QGroupBox* m_group = nullptr;
    QComboBox* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ov
