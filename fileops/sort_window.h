// TFormSort: the sort-modes window (Ctrl+F12). A list of Name, Extension,
// Size, Date and None (sort modes 1, 2, 3, 4 and 0); OK, Enter or a
// double-click makes the chosen one the active panel's sort mode and
// refreshes both panels; Esc closes without change. It opens 30 pixels
// right of the active panel's left edge and 30 below the left panel's top.
#pragma once

#include <QDialog>

#include <string>

class QGroupBox;
class QListWidget;
class QPushButton;

namespace ov {

class TFileOpsHost;

class TFormSort : public QDialog {
public:
    explicit TFormSort(TFileOpsHost& host, QWidget* parent = nullptr);

    void FormShow();
    void Button_OKClick();

    static void Execute(TFileOpsHost& host);

    // Row of the list <-> sort mode; the stored setting of a mode.
    static int ModeOfRow(int row);
    static int RowOfMode(int mode);
    static std::string SettingOfMode(int mode);

    QListWidget* List() const { return m_list; }
    QGroupBox* Group() const { return m_group; }

private:
    std::string text(const char* key) const;

    TFileOpsHost& m_host;
    QGroupBox* m_group = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace ov
