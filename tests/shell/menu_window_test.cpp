// The user menu dialog offscreen: layouts on the real widgets, starting an
// entry through a recording launcher, the file written on close (and not
// after a malformed load), and F2 in the main window opening it.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/menu_window.h"
#include "shell/user_menu_commands.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace ov;
namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class MenuWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        setPrompts(&prompts);
        setLauncher(&launched);
    }
    void TearDown() override
    {
        setLauncher(nullptr);
        setPrompts(nullptr);
    }
    template <typename T> T* child(TFormMenu& window, const char* name)
    {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    test::TempFolder folder;
    IniFile language = IniFile::fromText("[Menu]\nCaption=User menu\nError_Run=Cannot run the command\n");
    ScriptedPrompts prompts;
    RecordingLauncher launched;
};

} // namespace

TEST_F(MenuWindowTest, LayoutsOnTheWidgetsAndTheFileWrittenOnClose)
{
    folder.write("ov.mnu", "1\r\n \r\nTop\r\ntop -b\r\n \r\n");
    TFormMenu window(language, "ENGLISH", folder.path());
    window.show();
    auto* list = child<QListWidget>(window, "ListBox1");
    auto* comList = child<QListWidget>(window, "ComList");
    auto* edit1 = child<QLineEdit>(window, "Edit1");
    auto* edit2 = child<QLineEdit>(window, "Edit2");
    auto* start = child<QPushButton>(window, "Button_Start");
    auto* insert = child<QPushButton>(window, "Button_Insert");
    auto* change = child<QPushButton>(window, "Button_Change");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Top");
    EXPECT_EQ(comList->item(0)->text(), "top -b");
    EXPECT_FALSE(comList->isVisible());
    EXPECT_EQ(window.size(), QSize(256, 250));
    EXPECT_EQ(list->geometry(), QRect(8, 8, 240, 169));
    EXPECT_EQ(start->geometry().topLeft(), QPoint(8, 192));
    EXPECT_FALSE(insert->isVisible());
    EXPECT_FALSE(edit1->isVisible());

    window.Button_OptionsClick();
    EXPECT_EQ(window.height(), 283);
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(insert->isVisible());
    window.Button_InsertClick();
    EXPECT_EQ(list->height(), 81);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(edit1->isVisible());
    EXPECT_FALSE(change->isEnabled());
    // The browse button fills the command from the open-file dialog.
    prompts.texts.push_back("/usr/bin/htop");
    window.Button_BrowseClick();
    EXPECT_EQ(edit2->text(), "/usr/bin/htop");
    window.Button_InsertClick(); // no caption yet: the edit layout stays
    EXPECT_TRUE(edit1->isVisible());
    QTest::keyClicks(edit1, "Htop");
    window.Button_InsertClick();
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(edit1->isVisible());
    EXPECT_EQ(window.height(), 250);

    // Change on the selected entry fills the edits.
    window.Button_OptionsClick();
    list->setCurrentRow(0);
    window.Button_ChangeClick();
    EXPECT_EQ(edit1->text(), "Top");
    EXPECT_EQ(edit2->text(), "top -b");
    EXPECT_TRUE(change->isEnabled());
    EXPECT_FALSE(insert->isEnabled());
    edit2->setText("top");
    window.Button_ChangeClick();
    EXPECT_EQ(comList->item(0)->text(), "top");

    // Cancel writes the whole list, CR LF.
    child<QPushButton>(window, "Button_Cancel")->click();
    EXPECT_EQ(slurp(window.MenuPath()), "2\r\n \r\nTop\r\ntop\r\n \r\nHtop\r\n/usr/bin/htop\r\n \r\n");
    for (const Question& question : prompts.asked)
        EXPECT_NE(question.icon, Icon::Error) << question.text;
}

TEST_F(MenuWindowTest, OptionsThenCancelRewritesAndAMissingFileIsCreated)
{
    TFormMenu window(language, "ENGLISH", folder.path());
    window.show();
    EXPECT_EQ(child<QListWidget>(window, "ListBox1")->count(), 0);
    window.Button_OptionsClick();
    window.FormKeyDown(Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(slurp(window.MenuPath()), "0\r\n \r\n");
}

TEST_F(MenuWindowTest, AMalformedFileIsReportedAndNeverRewritten)
{
    const std::string bytes = "3\r\n \r\nTop\r\ntop\r\n \r\nLost\r\n";
    folder.write("ov.mnu", bytes);
    TFormMenu window(language, "ENGLISH", folder.path());
    window.show();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, window.MenuPath() + ": line 7: the file ends before entry 2 of 3");
    EXPECT_EQ(prompts.asked[0].icon, Icon::Error);
    EXPECT_EQ(child<QListWidget>(window, "ListBox1")->count(), 1); // what it read
    window.Button_OptionsClick();
    window.Button_DeleteClick(); // nothing selected: nothing happens
    window.reject();
    EXPECT_EQ(slurp(window.MenuPath()), bytes);
}

TEST_F(MenuWindowTest, StartRunsTheSelectedEntryAndReportsAFailure)
{
    folder.write("ov.mnu", "2\r\n \r\nTop\r\ntop -b\r\n \r\nShell\r\ncommand.com /c ls | sort\r\n \r\n");
    {
        TFormMenu window(language, "ENGLISH", folder.path());
        window.show();
        window.Button_StartClick(); // nothing selected
        EXPECT_TRUE(window.isVisible());
        child<QListWidget>(window, "ListBox1")->setCurrentRow(1);
        window.Button_StartClick();
        EXPECT_FALSE(window.isVisible());
    }
    {
        launched.result = false;
        launched.reason = "no such program";
        TFormMenu window(language, "ENGLISH", folder.path());
        window.show();
        auto* list = child<QListWidget>(window, "ListBox1");
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_FALSE(window.isVisible());
    }
    ASSERT_EQ(launched.calls.size(), 2u);
    EXPECT_EQ(launched.calls[0].kind, "shell");
    EXPECT_EQ(launched.calls[0].argv, (std::vector<std::string> { "ls | sort" }));
    EXPECT_EQ(launched.calls[1].argv, (std::vector<std::string> { "top", "-b" }));
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Cannot run the command\ntop -b\nno such program");
}

TEST_F(MenuWindowTest, UserMenuCommandOpensTheDialogOverTheProgramFolder)
{
    test::TempFolder home, drive;
    ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
    DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
    home.write("ov.mnu", "1\r\n \r\nTop\r\ntop\r\n \r\n");
    CommandRegistry::instance().clear();
    registerShellWindowCommands();
    int shown = 0;
    TFormMenu::ModalRunner = [&shown](QDialog& dialog) {
        dialog.show();
        auto* list = dialog.findChild<QListWidget*>("ListBox1");
        EXPECT_EQ(list ? list->count() : -1, 1);
        ++shown;
        return 0;
    };
    {
        TForm1 form;
        form.MainSettings.AutoSave = false;
        form.RunCommand("UserMenu");
    }
    TFormMenu::ModalRunner = nullptr;
    CommandRegistry::instance().clear();
    DriveTable::instance().reset();
    ::unsetenv("ORVANTA_HOME");
    EXPECT_EQ(shown, 1);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
