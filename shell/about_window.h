// TAboutForm: the borderless About box. The product line, the build's own
// version, source revision and date (given by the build system), the
// support address and home page as links opened through the launcher, and a
// credits memo. Esc, Space, Enter and "&OK" close it; pressing on the
// picture moves the window.
#pragma once

#include "platform/ini_file.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ov {

// What the box shows about the build and where it points.
struct AboutFacts {
    std::string version; // the build's version
    std::string revision; // the source revision, "" when unknown
    std::string date; // the build's date
    std::string email; // support address, "" for none
    std::string homePage; // home page, "" for none
    // The facts this build was made with.
    static AboutFacts ofThisBuild();
};

class TAboutForm : public QDialog {
public:
    // languageName "ENGLISH" keeps the caption "About program"; any other
    // takes the main menu's translated entry.
    TAboutForm(const IniFile& language, const std::string& languageName, const AboutFacts& facts,
        QWidget* parent = nullptr);

    void FormKeyDown(int key);
    // The links: each opens its address through the launcher; a failure is
    // reported with the launcher's reason. Nothing when the address is empty.
    void LabelEMailClick();
    void LabelHomePageClick();

    // The memo's text (the credits and the build facts).
    std::string MemoText() const;

    static void Execute(const IniFile& language, const std::string& languageName, QWidget* parent);
    // How Execute runs the window (tests replace it; exec() by default).
    static std::function<int(QDialog&)> ModalRunner;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void open(const std::string& address);

    AboutFacts m_facts;
    QLabel* m_email = nullptr;
    QLabel* m_homePage = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace ov
