// TFormRenMove: the rename/move window (F6). The own engine moves the
// active panel's entries into the other panel's folder under their own
// names; with the system function on, the typed destination is used: an
// existing folder means "into it", anything else is the new name, and a
// text without a drive is taken from the root of the panel's drive.
#pragma once

#include "fileops/transfer_window.h"

class QComboBox;
class QLabel;

namespace ov {

class TFormRenMove : public TransferWindow {
public:
    explicit TFormRenMove(TFileOpsHost& host, QWidget* parent = nullptr);

    void FormShow();
    void Button_OkClick();

    static void Execute(TFileOpsHost& host);

    QComboBox* Destination() const { return m_destination; }
    QLabel* LabelLine() const { return m_label; }

    // The typed destination made whole: a text shorter than 2 characters
    // or without ":" second gets the drive's "x:\" in front.
    static std::string FullDestination(const std::string& typed, const std::string& diskRoot);

private:
    QLabel* m_label = nullptr;
    QComboBox* m_destination = nullptr;
    std::string m_sourceText;
};

} // namespace ov
