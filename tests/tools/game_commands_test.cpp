// The game windows and the dialer as commands of the main window: each is
// made on first use, reused while open and made anew after closing; the
// dialer's options come from the settings and go back there.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/command_window_test.h"
#include "tests/support/temp_folder.h"
#include "tools/dial_commands.h"
#include "tools/dial_window.h"
#include "tools/life_commands.h"
#include "tools/life_window.h"
#include "tools/tetris_commands.h"
#include "tools/tetris_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ov {
namespace {

class GameCommands : public test::CommandWindowTest {
protected:
    GameCommands()
        : CommandWindowTest(OV_LANGUAGE_DIR)
    {
    }
    void SetUp() override
    {
        CommandWindowTest::SetUp();
        // No system bus: the dialer finds no NetworkManager.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ov-test-bus", 1);
        registerLifeCommands();
        registerTetrisCommands();
        registerDialCommands();
    }
};

TEST_F(GameCommands, EachGameWindowIsReusedWhileOpenAndMadeAnewAfterClosing)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.ConfirmExit = false;
    for (const char* command : { "Tetris", "Life" }) {
        SCOPED_TRACE(command);
        const auto find = [&form, command]() -> QWidget* {
            if (std::string(command) == "Tetris")
                return dynamic_cast<TTetro1*>(form.findChild<QWidget*>("Tetro1"));
            return dynamic_cast<TFormLife*>(form.findChild<QWidget*>("FormLife"));
        };
        form.RunCommand(command);
        QPointer<QWidget> first = find();
        ASSERT_FALSE(first.isNull());
        EXPECT_TRUE(first->isVisible());
        EXPECT_TRUE(first->isWindow());
        form.RunCommand(command);
        EXPECT_EQ(find(), first.data());
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(first.isNull());
        form.RunCommand(command);
        ASSERT_NE(find(), nullptr);
        find()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(prompts.asked.size(), 0u);
}

TEST_F(GameCommands, TheDialerTakesItsOptionsFromTheSettingsAndGivesThemBack)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.ConfirmExit = false;
    form.MainSettings.RedialTime = 25;
    form.MainSettings.CloseOnBusy = true;
    form.RunCommand("Dialer");
    QPointer<TFormDialUp> window = dynamic_cast<TFormDialUp*>(form.findChild<QWidget*>("FormDialUp"));
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->SpinEdit1->value(), 25);
    EXPECT_TRUE(window->CheckBox3->isChecked());
    ASSERT_EQ(window->ListBox1->count(), 1);
    EXPECT_EQ(window->ListBox1->item(0)->text(), "NetworkManager is not running.");
    form.RunCommand("Dialer");
    EXPECT_EQ(dynamic_cast<TFormDialUp*>(form.findChild<QWidget*>("FormDialUp")), window.data());
    window->SpinEdit1->setValue(40);
    window->CheckBox1->setChecked(false);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(form.MainSettings.RedialTime, 40);
    EXPECT_FALSE(form.MainSettings.Redial);
    EXPECT_TRUE(form.MainSettings.CloseOnBusy);
}

} // namespace
} // namespace ov
