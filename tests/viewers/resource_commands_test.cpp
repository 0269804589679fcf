// The resource explorer as the main window's "ResourceExplorer" command:
// it opens one window over the main window's bounds on an executable and
// keeps the error box for other files; its captions follow the language.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/ini_file.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/command_window_test.h"
#include "tests/support/temp_folder.h"
#include "viewers/exe_image.h"
#include "viewers/resource_commands.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ov {
namespace {

class ResourceCommands : public test::CommandWindowTest {
protected:
    ResourceCommands()
        : CommandWindowTest(OV_LANGUAGE_DIR)
    {
    }
    void SetUp() override
    {
        CommandWindowTest::SetUp();
        std::filesystem::copy_file(OV_DATA_DIR "/viewers/fixture.dll", drive / "Fixture.DLL");
        drive.write("notes.txt", "text");
        registerResourceExplorerCommands();
    }
};

void cursorTo(TFPanel* panel, const std::string& name)
{
    for (int i = 1; i <= panel->Browser.Count; ++i)
        if (panel->Browser.NameAt(i) == name) {
            panel->SetCursorIndex(i);
            return;
        }
    FAIL() << name;
}

TFormResource* explorerWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<TFormResource*>(widget))
            return window;
    return nullptr;
}

TEST_F(ResourceCommands, OpensOnExecutablesOnly)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.setGeometry(40, 50, 700, 500);
    TFPanel* panel = form.ActivePanel();
    panel->Settings.Path = "c:\\";
    panel->ReadFolder();

    cursorTo(panel, "notes.txt");
    form.RunCommand("ResourceExplorer");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, form.LangTexts.ResExplorer_Error_OnStart);
    EXPECT_EQ(explorerWindow(), nullptr);
    prompts.asked.clear();

    cursorTo(panel, "Fixture.DLL");
    form.RunCommand("ResourceExplorer");
    TFormResource* window = explorerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->geometry(), form.geometry());
    ASSERT_NE(window->Image(), nullptr);
    EXPECT_EQ(window->Image()->FileName(), drive / "Fixture.DLL");
    // The caption lower-cases the whole name it was given.
    EXPECT_EQ(window->windowTitle(),
        "Resource Explorer - " + QString::fromStdString(drive.path() + "/fixture.dll").toLower());
    EXPECT_TRUE(prompts.asked.empty());

    // Once created, the window is reused.
    form.RunCommand("ResourceExplorer");
    EXPECT_EQ(explorerWindow(), window);
    window->close();
}

TEST_F(ResourceCommands, CaptionsFollowTheLanguage)
{
    const IniFile polish(home / "ov_pol.ini");
    const TResourceTexts texts = resourceExplorerTexts(polish, "POLISH");
    EXPECT_FALSE(texts.english);
    EXPECT_EQ(texts.Menu_File, "&Plik");
    EXPECT_EQ(texts.Menu_Service_Collaps, "&Zwiń wszystko");
    EXPECT_EQ(texts.Table, "Szczegóły");
    EXPECT_EQ(texts.OffSet, "Przesunięcie");

    TFormResource window;
    window.ApplyTexts(texts);
    window.SetFile(OV_DATA_DIR "/viewers/fixture.dll");
    EXPECT_EQ(window.StatusText(0), " 1 Obiekty");
    auto* menus = window.findChild<QMenuBar*>("MainMenu1");
    ASSERT_NE(menus, nullptr);
    EXPECT_EQ(menus->actions().at(0)->text(), "&Plik");
    EXPECT_EQ(window.findChild<QToolButton*>("SpeedButtonReport")->toolTip(), "Szczegóły");
    EXPECT_EQ(window.findChild<QToolButton*>("SpeedButtonSave")->toolTip(), "&Zapisz zasób...");

    // English keeps the built-in texts; a missing key gives the standard text.
    const TResourceTexts english = resourceExplorerTexts(polish, "ENGLISH");
    EXPECT_EQ(english.Menu_File, "&File");
    EXPECT_EQ(english.Objects, "Objects");
    const IniFile empty(home / "none.ini");
    EXPECT_EQ(resourceExplorerTexts(empty, "RUSSIAN").Menu_File, "Error loading resource");
}

} // namespace
} // namespace ov
