// TFormNewFile: the create-file window (Shift+F4). One editable drop-down for
// the name; OK creates an empty file (see create_entry.h), never touching an
// existing one, refreshes both panels and moves the cursor up one row.
#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QGroupBox;
class QPushButton;

namespace ov {

class TFileOpsHost;

class TFormNewFile : public QDialog {
public:
    explicit TFormNewFile(TFileOpsHost& host, QWidget* parent = nullptr);

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
