// The dialer window: the entries as a check list, the progress log, the
// buttons Call, Hung up, Options and Cancel, the count of redials, and the
// options panel (redial on busy, the pause before a redial, close when
// connected or busy), over TDialerLogic and TDialUp. The countdown timer
// ticks once a second while a dial is scheduled.
#pragma once

#include "tools/dial_logic.h"
#include "tools/dial_up.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTimer;

namespace ov {

class IniFile;

// The options the window keeps in the settings (section DialUp).
struct DialOptions {
    bool Redial = true;
    bool CloseOnConnect = false;
    bool CloseOnBusy = false;
    int RedialTime = 10;
};

// The text of a dial error from section InetDialer (our own texts, keys
// Error_<number>; Error_Other for the rest), English when missing.
std::string dialErrorText(const IniFile& language, int error);

class TFormDialUp : public QWidget {
public:
    // backend must outlive the window; languageName decides whether the
    // captions are the built-in English ones.
    TFormDialUp(DialBackend& backend, const IniFile& language, const std::string& languageName,
        const DialOptions& options, QWidget* parent = nullptr);
    ~TFormDialUp() override;

    TDialerLogic& Logic() { return *m_logic; }
    TDialUp& Dialer() { return *m_dialer; }
    DialOptions Options() const;
    // Called with the options when the window closes.
    std::function<void(const DialOptions&)> OnClosed;

    QListWidget* CheckListBox1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr; // Call
    QPushButton* Button2 = nullptr; // Hung up
    QPushButton* Button3 = nullptr; // Options
    QPushButton* Button4 = nullptr; // Cancel
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr; // the redial count
    QWidget* Panel1 = nullptr; // the options
    QPushButton* Button5 = nullptr; // OK
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // redial on busy
    QLabel* Label3 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QCheckBox* CheckBox2 = nullptr; // close if connected
    QCheckBox* CheckBox3 = nullptr; // close if busy
    QTimer* Timer1 = nullptr;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Checks, selection and options from the controls into the logic.
    void readControls();
    // Caption, counter and timer from the logic.
    void sync();

    std::unique_ptr<TDialUp> m_dialer;
    std::unique_ptr<TDialerLogic> m_logic;
    bool m_scrollPending = false;
};

} // namespace ov
