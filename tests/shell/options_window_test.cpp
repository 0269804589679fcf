// The main options dialog offscreen over a real main window: the texts of
// the shipped language files, "&OK" (a new language reaches the main window,
// the panels take their page, twelve columns are drawn), a Language outside
// the five names, "&Set Default" and the tray box.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/options_commands.h"
#include "shell/options_window.h"
#include "tests/shell/settings_dialog_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace ov;

using OptionsWindowTest = test::SettingsDialogTest;

TEST_F(OptionsWindowTest, TextsComeFromTheLanguageSection)
{
    auto form = makeForm();
    TFormMainParam window(*form, true);
    EXPECT_EQ(window.windowTitle(), "Options");
    EXPECT_EQ(child<QLabel>(window, "Label_Splitter")->text(), "Gap between panels");
    EXPECT_EQ(child<QCheckBox>(window, "Confirm_Delete")->text(), "Confirm deleting");
    EXPECT_EQ(child<QPushButton>(window, "Button_SetDefault")->text(), "&Default");
    EXPECT_EQ(child<QTabWidget>(window, "PageControl1")->tabText(1), "Panels");
    // The page's group names the panel it edits.
    EXPECT_EQ(child<QGroupBox>(window, "GroupBox_Panel")->title(), " Left panel ");
    // The buttons the section has no key for keep their own texts.
    EXPECT_EQ(child<QRadioButton>(window, "Lang_American")->text(), "American english");
    EXPECT_EQ(child<QRadioButton>(window, "Lang_Polish")->text(), "&Polish language");
    EXPECT_TRUE(child<QRadioButton>(window, "Lang_English")->isChecked());

    // A file without the section: every key it reads says so.
    std::filesystem::remove(home / "ov_eng.ini");
    form->OpenLanguageFile();
    TFormMainParam bare(*form, true);
    EXPECT_EQ(child<QCheckBox>(bare, "Confirm_Delete")->text(), "Error loading resource");
    EXPECT_EQ(child<QGroupBox>(bare, "GroupBox_Panel")->title(), " Error loading resource ");
}

TEST_F(OptionsWindowTest, OkAppliesLanguagePanelsAndConfirmations)
{
    auto form = makeForm();
    form->show();
    TFPanel* left = form->LeftPanel();
    ASSERT_EQ(left->Settings.ViewMode, ViewMode::Brief);
    left->SetCursorIndex(2);
    const std::string current = left->CurrentName;
    TFormMainParam window(*form, true);
    child<QRadioButton>(window, "Lang_Russian")->setChecked(true);
    child<QSpinBox>(window, "Columns")->setValue(12);
    child<QSpinBox>(window, "Main_Splitter")->setValue(15);
    child<QCheckBox>(window, "Show_ScrollBar")->setChecked(false);
    child<QCheckBox>(window, "Confirm_Copy")->setChecked(false);
    child<QRadioButton>(window, "Editor_Ext")->setChecked(true);
    child<QLineEdit>(window, "EditorName")->setText("kate");
    window.Button_OKClick();

    EXPECT_EQ(form->MainSettings.Language, "RUSSIAN");
    // The main window speaks the new language at once.
    EXPECT_EQ(form->MenuAction("Config_Main")->text().toStdString(),
        form->Language().readString("MainMenu", "Config_Main", ""));
    EXPECT_EQ(form->MenuAction("Config_Main")->text(), QString::fromUtf8("Основные параметры"));
    EXPECT_EQ(left->Language, "RUSSIAN");
    EXPECT_EQ(form->MainSettings.Main_Splitter, 15);
    EXPECT_FALSE(form->MainSettings.ConfirmCopy);
    EXPECT_EQ(form->MainSettings.EditorType, "ext");
    EXPECT_EQ(form->MainSettings.EditorName, "kate");
    EXPECT_EQ(left->ScrollBand, 0);
    EXPECT_FALSE(left->Settings.ShowScrollBar);
    // Only the active panel took the page.
    EXPECT_EQ(left->Settings.Columns, 12);
    EXPECT_TRUE(form->RightPanel()->Settings.ShowScrollBar);
    EXPECT_EQ(left->CurrentName, current);

    // Twelve columns are drawn: the eleventh column line is in the line colour.
    const PanelGeometry g = left->geometry();
    ASSERT_EQ(g.columns, 12);
    ASSERT_GT(g.columnWidth, 4);
    left->Layout();
    const int x = 2 + 11 * g.columnWidth;
    const QRgb expected = colorToRgb(left->Settings.LineColor) | 0xFF000000u;
    EXPECT_EQ(left->backingImage().pixel(x, g.listTop + 10), expected);
    EXPECT_EQ(left->ColumnCount(), 12);
}

TEST_F(OptionsWindowTest, UnknownLanguageTakesTheCheckedButton)
{
    std::ofstream(home / "ov.ini") << "[Global]\nLanguage=KLINGON\n";
    auto form = makeForm();
    ASSERT_EQ(form->MainSettings.Language, "KLINGON");
    {
        TFormMainParam window(*form, true);
        for (const char* name :
            { "Lang_English", "Lang_Russian", "Lang_Polish", "Lang_Italian", "Lang_American" })
            EXPECT_FALSE(child<QRadioButton>(window, name)->isChecked()) << name;
        // Untouched, the language stays what it was.
        window.Button_OKClick();
        EXPECT_EQ(form->MainSettings.Language, "KLINGON");
    }
    TFormMainParam window(*form, true);
    child<QRadioButton>(window, "Lang_Russian")->setChecked(true);
    window.Button_OKClick();
    EXPECT_EQ(form->MainSettings.Language, "RUSSIAN");
    EXPECT_EQ(form->MenuAction("Config_Main")->text(), QString::fromUtf8("Основные параметры"));
}

TEST_F(OptionsWindowTest, SyncPanelsShowsTheRightPanelAndSetsBoth)
{
    std::ofstream(home / "ov.ini") << "[Global]\nSync_Panels=1\n[Panel_Right]\nShow_FileHide=0\n";
    auto form = makeForm();
    TFormMainParam window(*form, true);
    EXPECT_EQ(child<QGroupBox>(window, "GroupBox_Panel")->title(), " Right panel ");
    // The right panel is in full mode: no columns to set there.
    EXPECT_FALSE(child<QSpinBox>(window, "Columns")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(window, "Show_FileHide")->isChecked());
    child<QSpinBox>(window, "Length")->setValue(12);
    window.Button_OKClick();
    for (TFPanel* panel : { form->LeftPanel(), form->RightPanel() }) {
        EXPECT_EQ(panel->Settings.FontSizeSetting, 12) << panel->PanelName;
        EXPECT_FALSE(panel->Settings.ShowHiddenFiles) << panel->PanelName;
        EXPECT_EQ(panel->FooterHeight, 48) << panel->PanelName;
    }
}

TEST_F(OptionsWindowTest, SetDefaultAsksThenFillsAgain)
{
    std::ofstream(home / "ov.ini") << "[Global]\nMain_Splitter=30\nLanguage=RUSSIAN\n[Confirm]\nExit=1\n";
    auto form = makeForm();
    TFormMainParam window(*form, true);
    auto* splitter = child<QSpinBox>(window, "Main_Splitter");
    auto* exit = child<QCheckBox>(window, "Confirm_Exit");
    ASSERT_EQ(splitter->value(), 30);
    ASSERT_TRUE(exit->isChecked());
    splitter->setValue(44);

    // Refused: nothing changes, the edit in the dialog stays.
    prompts.answers = { Answer::Cancel };
    window.Button_SetDefaultClick();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(
        prompts.asked[0].text, form->Language().readString("Commands", "Confirm_SetDefaultConfig", "?"));
    EXPECT_EQ(form->MainSettings.Main_Splitter, 30);
    EXPECT_EQ(splitter->value(), 44);

    // Confirmed: the defaults, and the dialog shows them.
    prompts.answers = { Answer::Ok };
    window.Button_SetDefaultClick();
    EXPECT_EQ(form->MainSettings.Main_Splitter, 7);
    EXPECT_EQ(splitter->value(), 7);
    EXPECT_FALSE(exit->isChecked());
    EXPECT_TRUE(child<QRadioButton>(window, "Lang_English")->isChecked());
    // The defaults' language is in use at once, in the window and here.
    EXPECT_EQ(form->MainSettings.Language, "ENGLISH");
    EXPECT_EQ(form->MenuAction("Config_Main")->text(), "Main options");
    EXPECT_EQ(window.windowTitle(), "Options");
}

TEST_F(OptionsWindowTest, TrayBoxFollowsTheDesktop)
{
    auto form = makeForm();
    for (const bool tray : { false, true }) {
        TFormMainParam window(*form, tray);
        auto* box = child<QCheckBox>(window, "SysTrayIcon");
        EXPECT_EQ(box->isEnabled(), tray);
        EXPECT_TRUE(box->isChecked());
    }
}

TEST_F(OptionsWindowTest, CtrlPOpensTheDialogAndCancelChangesNothing)
{
    registerOptionsCommands();
    auto form = makeForm();
    int runs = 0;
    TFormMainParam::ModalRunner = [&](QDialog& dialog) {
        ++runs;
        dialog.findChild<QSpinBox*>("Main_Splitter")->setValue(50);
        dialog.findChild<QPushButton*>("Button_Cancel")->click();
        return dialog.result();
    };
    form->RunCommand("MainOptions");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(form->MainSettings.Main_Splitter, 7);
    TFormMainParam::ModalRunner = [&](QDialog& dialog) {
        ++runs;
        dialog.findChild<QSpinBox*>("Main_Splitter")->setValue(50);
        dialog.findChild<QPushButton*>("Button_OK")->click();
        return dialog.result();
    };
    form->RunCommand("MainOptions");
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(form->MainSettings.Main_Splitter, 50);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
