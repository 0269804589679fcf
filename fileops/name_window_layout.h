// TNameWindow: what the create-folder and create-file windows share. A group
// with an editable drop-down for the name, then OK (default) and Cancel,
// every text from the window's language section; the name is empty and has
// the focus when the window shows; OK runs the window's own Button_OKClick.
#pragma once

#include <QDialog>

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QPushButton;
class QString;

namespace ov {

class TFileOpsHost;

class TNameWindow : public QDialog {
public:
    void FormShow();
    virtual void Button_OKClick() = 0;

    QComboBox* NameBox() const { return m_name; }

protected:
    TNameWindow(TFileOpsHost& host, const char* section, QWidget* parent);

    TFileOpsHost& m_host;
    QGroupBox* m_group = nullptr;
    QComboBox* m_name = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// The row of OK (default, "Button_OK") and Cancel ("Button_Cancel") at the
// right, added at the end of a window's layout; the create windows and the
// attributes window end with it.
void addOkCancelRow(QBoxLayout& layout, const QString& okText, const QString& cancelText, QPushButton*& ok,
    QPushButton*& cancel);

} // namespace ov
