// TFormAttrib: the attributes window (Ctrl+A). It shows the current entry's
// path, folder and written date and four boxes for read-only, archive,
// system and hidden; anything but Cancel writes the new word when it
// differs (see attributes.h) and refreshes both panels. A failed change is
// reported and the window stays open. An archive member's bits are shown
// with the boxes disabled, and nothing is written.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace ov {

class TFileOpsHost;

class TFormAttrib : public QDialog {
public:
    explicit TFormAttrib(TFileOpsHost& host, QWidget* parent = nullptr);

    // Reads the active panel's current entry into the window; false on "..".
    bool FormShow();
    // Writes the word the boxes give; closes unless the change failed.
    void Button_OKClick();

    static void Execute(TFileOpsHost& host);

    QCheckBox* ReadOnlyBox() const { return m_readOnly; }
    QCheckBox* ArchiveBox() const { return m_archive; }
    QCheckBox* SystemBox() const { return m_system; }
    QCheckBox* HiddenBox() const { return m_hidden; }
    QLabel* PathLabel() const { return m_path; }
    QLabel* FolderLabel() const { return m_folder; }
    QLabel* DateLabel() const { return m_date; }

protected:
    // The close box counts as OK, as anything but Cancel does.
    void closeEvent(QCloseEvent* event) override;

private:
    std::string text(const char* key) const;

    TFileOpsHost& m_host;
    std::string m_windowsPath;
    uint16_t m_old = 0;
    bool m_writable = false;
    QLabel* m_path = nullptr;
    QLabel* m_folder = nullptr;
    QLabel* m_date = nullptr;
    QGroupBox* m_group = nullptr;
    QCheckBox* m_readOnly = nullptr;
    QCheckBox* m_archive = nullptr;
    QCheckBox* m_system = nullptr;
    QCheckBox* m_hidden = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ov
