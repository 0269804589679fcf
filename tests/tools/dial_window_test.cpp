// The dialer window over the fake backend: captions, the check list, the
// countdown driven tick by tick, the redial counter, the log and its cap,
// the options panel and what closing writes back.
#include "platform/ini_file.h"
#include "tools/dial_fake_backend.h"
#include "tools/dial_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace ov {
namespace {

void app()
{
    static int argc = 1;
    static char name[] = "test_dial_window";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

bool waitFor(const std::function<bool()>& done, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

const std::string languageDir = OV_LANGUAGE_DIR;

class DialWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app();
        backend.Entries = { "A", "B", "C" };
    }
    FakeDialBackend backend;
    IniFile english { languageDir + "/ov_eng.ini" };
};

TEST_F(DialWindow, CaptionsFollowTheLanguage)
{
    TFormDialUp window(backend, english, "ENGLISH", {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(window.windowTitle(), "Inet Dialer");
    EXPECT_EQ(window.Button1->text(), "&Call");
    EXPECT_EQ(window.Button2->text(), "&Hung up");
    EXPECT_TRUE(window.Button1->isDefault());
    EXPECT_EQ(window.Label2->text(), "0");
    EXPECT_FALSE(window.Panel1->isVisible());
    EXPECT_EQ(window.CheckListBox1->count(), 3);

    const IniFile russian(languageDir + "/ov_rus.ini");
    TFormDialUp other(backend, russian, "RUSSIAN", {});
    other.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(
        other.Button1->text(), QString::fromStdString(russian.readString("InetDialer", "Button_Call", "")));
    EXPECT_EQ(other.CheckBox1->text(),
        QString::fromStdString(russian.readString("InetDialer", "GroupBoxCaption", "")));
    EXPECT_EQ(dialErrorText(russian, 676), "Линия занята.");
    EXPECT_EQ(dialErrorText(IniFile(languageDir + "/missing.ini"), 676), "The line is busy.");
    EXPECT_EQ(dialErrorText(english, 999), "The device reported an error (999).");
}

TEST_F(DialWindow, BusyRedialsTheNextCheckedEntryAfterTheCountdown)
{
    backend.Scripts["A"]
        = { { DialState::ConnectDevice, 0 }, { DialState::ConnectDevice, DialError::LineBusy } };
    backend.Scripts["C"] = { { DialState::ConnectDevice, 0 }, { DialState::Connected, 0 } };
    TFormDialUp window(backend, english, "ENGLISH", { true, false, false, 2 });
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.CheckListBox1->item(0)->setCheckState(Qt::Checked);
    window.CheckListBox1->item(2)->setCheckState(Qt::Checked);
    window.Button1Click();
    EXPECT_TRUE(window.Timer1->isActive());
    window.Timer1Timer();
    EXPECT_EQ(window.windowTitle(), "Dial to <A>");
    ASSERT_TRUE(waitFor([&] { return window.Label2->text() == "1"; }));
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_EQ(window.CheckListBox1->currentRow(), 2);
    window.Timer1Timer();
    EXPECT_EQ(window.windowTitle(), "Wait 1 secund for <C>");
    window.Timer1Timer();
    EXPECT_EQ(window.windowTitle(), "Dial to <C>");
    EXPECT_FALSE(window.Timer1->isActive());
    ASSERT_TRUE(waitFor([&] { return window.windowTitle() == "Connected <C>"; }));
    ASSERT_EQ(window.ListBox1->count(), 4);
    EXPECT_EQ(window.ListBox1->item(0)->text(), "Connecting device <A>");
    EXPECT_EQ(window.ListBox1->item(1)->text(), "The line is busy.");
    EXPECT_EQ(window.ListBox1->item(3)->text(), "The connection is established <C>");
    window.Button2Click();
    EXPECT_EQ(window.windowTitle(), "Inet Dialer");
}

TEST_F(DialWindow, TheLogIsCappedAndARightPressClearsIt)
{
    std::vector<DialEvent> many(10001, DialEvent { DialState::OpenPort, 0 });
    backend.Scripts["B"] = many;
    TFormDialUp window(backend, english, "ENGLISH", {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    int clears = 0;
    int shownAtClear = -1;
    const auto cleared = window.Logic().OnLogCleared;
    window.Logic().OnLogCleared = [&] {
        shownAtClear = window.ListBox1->count();
        ++clears;
        cleared();
    };
    window.CheckListBox1->setCurrentRow(1);
    window.Button1Click();
    ASSERT_TRUE(waitFor([&] { return clears == 1; }, 60000));
    EXPECT_EQ(shownAtClear, 10000);
    EXPECT_EQ(window.ListBox1->count(), 0);
    EXPECT_TRUE(window.Logic().Log.empty());
    window.Logic().AddLog("line");
    ASSERT_EQ(window.ListBox1->count(), 1);
    window.show();
    QTest::mouseClick(window.ListBox1->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(window.ListBox1->count(), 0);
}

TEST_F(DialWindow, ClosingWritesTheOptionsAndStopsRedialling)
{
    backend.Scripts["A"] = { { DialState::ConnectDevice, DialError::LineBusy } };
    QPointer<TFormDialUp> window = new TFormDialUp(backend, english, "ENGLISH", { true, false, true, 7 });
    std::optional<DialOptions> written;
    window->OnClosed = [&written](const DialOptions& options) { written = options; };
    window->show();
    // With the options shown a close only hides them.
    window->Button3Click();
    EXPECT_TRUE(window->Panel1->isVisible());
    window->close();
    EXPECT_FALSE(window->Panel1->isVisible());
    EXPECT_FALSE(written);
    window->SpinEdit1->setValue(12);

    // Busy with close-if-busy: the window closes and nothing is scheduled.
    window->CheckListBox1->item(0)->setCheckState(Qt::Checked);
    window->Button1Click();
    window->Timer1Timer();
    ASSERT_TRUE(waitFor([&] { return written.has_value(); }));
    EXPECT_EQ(written->RedialTime, 12);
    EXPECT_TRUE(written->Redial);
    EXPECT_TRUE(written->CloseOnBusy);
    EXPECT_FALSE(written->CloseOnConnect);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    // One dial only; the window's end hangs up.
    EXPECT_EQ(backend.Calls, (std::vector<std::string> { "hangup", "dial A", "hangup" }));
}

TEST_F(DialWindow, WithoutTheServiceTheLogSaysSo)
{
    backend.Available = false;
    TFormDialUp window(backend, english, "ENGLISH", {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(window.CheckListBox1->count(), 0);
    ASSERT_EQ(window.ListBox1->count(), 1);
    EXPECT_EQ(window.ListBox1->item(0)->text(), "NetworkManager is not running.");
    window.Button1Click();
    EXPECT_TRUE(backend.Calls.empty());
}

} // namespace
} // namespace ov
