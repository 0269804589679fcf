// TFormDelete: the delete window (F8, Delete). It asks, then deletes the
// active panel's selection or current entry with the list's own walk, or
// moves it to the Trash when the Recycle Bin option is on, and puts the
// cursor on the entry that followed the deleted one.
#pragma once

#include "fileops/walk_window.h"

#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

namespace ov {

class TFileOperation;

class TFormDelete : public WalkWindow {
public:
    explicit TFormDelete(TFileOpsHost& host, QWidget* parent = nullptr);

    void FormShow();
    void Button_OKClick();

    static void Execute(TFileOpsHost& host);

    // The name the cursor goes to after deleting entry current of list:
    // the entry after it, else the one before; "" when there is none.
    static std::string CursorNameAfterDelete(const TBrowser& list, int current);

    QLabel* Question() const { return m_question; }
    QLabel* What() const { return m_what; }

private:
    void deleteOwn();
    void deleteToTrash();
    // The question line turns into the progress line: normal style, the
    // second line hidden; each path is shown there as it is deleted.
    void showProgressLine();
    void finish();
    std::string text(const char* key) const;

    QGroupBox* m_group = nullptr;
    QLabel* m_question = nullptr;
    QLabel* m_what = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ov
