// TFormCopy: the copy window (F5, the Copy command, a drag to the other
// panel). The question view shows what is copied and where, with the
// "System function copy" check box; OK runs the own copy walk with the
// progress view, or the system function. Out of an archive OK runs one
// extraction of the chosen entries instead (the system function takes no
// part); into an archive nothing is copied.
#pragma once

#include "fileops/transfer_window.h"

class QCheckBox;
class QLineEdit;

namespace ov {

class TFormCopy : public TransferWindow {
public:
    explicit TFormCopy(TFileOpsHost& host, QWidget* parent = nullptr);

    // Opens the window on the active panel's selection or current entry;
    // dragIndex is the entry under a drag's press point (0 without a drag).
    void FormShow(int dragIndex = 0);
    void Button_OKClick();
    void CheckBox_SystemCopyFunctionClick();

    // The whole command: opens the window, and runs it modally unless the
    // copy confirmation is off (then OK is pressed at once).
    static void Execute(TFileOpsHost& host, int dragIndex = 0);

    QLineEdit* EditFrom() const { return m_from; }
    QLineEdit* EditTo() const { return m_to; }

private:
    // F5 out of an archive: one extraction of the chosen entries into the
    // other panel's folder, with this window's progress view and Cancel.
    void runArchiveCopy();

    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QCheckBox* m_systemCopy = nullptr;
    QCheckBox* m_checkFreeSpace = nullptr;
    bool m_fromDrag = false;
};

} // namespace ov
