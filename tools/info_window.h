// TFormHelp: the information window. A small borderless box in the middle
// of the screen with the credits and three links: "About program" (the
// about box, through OnAbout), "Technical support" (the mail program, to
// the support address) and "Home page" (the browser). "&OK", Esc, Space and
// Enter close it. The links open through platform/launcher.h.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QTextEdit;

namespace ov {

class TFormHelp : public QDialog {
public:
    // caption: the window's caption ("Information" in English; the main
    // window's translated menu caption in the other languages).
    explicit TFormHelp(const std::string& caption, QWidget* parent = nullptr);

    // The addresses the links open (fixed when the program is built).
    static std::string SupportAddress();
    static std::string HomePage();

    // Runs "About program"; nothing when unset.
    std::function<void()> OnAbout;

    QLabel* LabelAbout = nullptr;
    QLabel* LabelSupport = nullptr;
    QLabel* LabelHomePage = nullptr;
    QTextEdit* MemoCredits = nullptr;
    QPushButton* ButtonOK = nullptr;

    void LabelAboutClick();
    // Each opens its address; a failure is shown in a message box and false
    // returned.
    bool LabelSupportClick();
    bool LabelHomePageClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace ov
