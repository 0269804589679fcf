// The main window's commands, keys, language and configuration, driven
// through the window with recording doubles for the launcher, the prompts
// and the other subsystems' windows.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/launcher.h"
#include "shell/calculator.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

using namespace ov;
namespace fs = std::filesystem;

namespace {

class ShellCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        for (const char* file : { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini" })
            fs::copy_file(std::string(OV_LANGUAGE_DIR) + "/" + file, home / file);
        DriveTable::instance().setDrives({ { 'c', drive.path(), DriveType::Fixed } });
        drive.folder("alpha");
        drive.write("clip.avi", "v");
        drive.write("notes", "text");
        drive.write("page.html", "<p>");
        drive.write("photo.JPG", "j");
        drive.write("song.MP3", "m");
        setPrompts(&prompts);
        setLauncher(&launched);
        CommandRegistry::instance().clear();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setLauncher(nullptr);
        setPrompts(nullptr);
        DriveTable::instance().reset();
        ::unsetenv("ORVANTA_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }
    void writeIni(const std::string& text) { std::ofstream(home / "ov.ini") << text; }
    // Records each run of the named commands.
    void record(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            registerCommand(name, [this, name](TForm1&) { ran.push_back(name); });
    }
    void activate(TForm1& form)
    {
        form.MainSettings.AutoSave = false;
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.ComLine()->setFocus();
    }
    // A key as the user presses it: to the control that has the focus.
    static void press(TForm1& form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &form, key, modifiers);
    }
    std::string lastQuestion() const
    {
        return prompts.asked.empty() ? std::string() : prompts.asked.back().text;
    }

    test::TempFolder home;
    test::TempFolder drive;
    test::TempFolder data;
    ScriptedPrompts prompts;
    RecordingLauncher launched;
    std::vector<std::string> ran;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Puts the active panel's cursor on the entry with this name.
void cursorTo(TFPanel* panel, const std::string& name)
{
    for (int i = 1; i <= panel->Browser.Count; ++i) {
        if (panel->Browser.NameAt(i) == name) {
            panel->SetCursorIndex(i);
            panel->DrawCursor();
            return;
        }
    }
    FAIL() << name;
}

} // namespace

TEST_F(ShellCommandTest, SaveIniWritesTheGoldenSectionsAndKeysInOrder)
{
    writeIni("[Drives]\nC=" + drive.path() + "\n");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    ASSERT_TRUE(form.Save_INI());
    const IniFile saved(home / "ov.ini");
    const IniFile golden = IniFile::fromText(readFile(OV_SHELL_FIXTURES "/ov_ini_golden.ini"));
    std::vector<std::string> sections = saved.sections();
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front(), "Drives"); // what was there stays
    sections.erase(sections.begin());
    EXPECT_EQ(sections, golden.sections());
    for (const std::string& section : golden.sections())
        EXPECT_EQ(saved.keys(section), golden.keys(section)) << section;
}

TEST_F(ShellCommandTest, EveryKeyReloadsToTheSameState)
{
    const std::string panel
        = "Left=0\nTop=0\nWidth=640\nHeight=453\nPath=c:\\alpha\\\nColumns=2\nLength=10\nShow_FreeDisk=0\n"
          "Show_FileName=0\nShow_FileSize=0\nShow_FileDate=0\nShow_FileColors=0\nShow_CurDir=0\nShow_"
          "FileHide=0\n"
          "Show_FilesColor=0\nShow_ScrollBar=0\nShow_ToolBar=0\nParam_ExecBegin=0\nSorthMethod=srSize\n"
          "FileColor=1\nDirectoryColor=2\nFileSelectColor=3\nDirectorySelectColor=4\nPanelFon=5\n"
          "PanelSelectFon=6\nLineColor=7\nLineColorSlave=-2147483632\nSysTextColor=9\nSysInfoText=10\n"
          "Font_Name=Courier New\nFont_Size=10\nFont_Color=255\nFont_Style=[fsBold]\nStolbik_File=150\n"
          "Stolbik_FileType=55\nStolbik_Date=66\n";
    const std::string text
        = "[Global]\nLeft_Style=2\nRight_Style=4\nLanguage=ITALIAN\nSysTrayIcon=0\nOnTop=0\nDelToRecycle=1\n"
          "SysCopy=1\nMain_Splitter=9\nSync_Panels=1\nShow_ToolBar=0\nShow_StatusBar=0\nShow_DriveBar=0\n"
          "EditorType=ext\nEditorName=gvim -f\nOldDrag=1\nAutoSave=0\n"
          "[Form_Clipboard]\nTop=1\nLeft=2\nWidth=3\nHeight=4\n"
          "[Interface]\nShow_BackgroundFon=0\nShow_ToolBar=0\nShow_ComLine=0\nShow_HotButtons=0\n"
          "[DialUp]\nRedial=0\nCloseOnBusy=1\nCloseOnConnect=1\nRedialTime=30\n"
          "[Confirm]\nCopy=0\nMove=0\nDelete=0\nExit=1\n"
          "[Panel_Left]\n"
        + panel + "[Panel_Right]\n" + panel;
    writeIni(text);
    const IniFile written = IniFile::fromText(text);
    {
        TForm1 form;
        EXPECT_EQ(form.MainSettings.Language, "ITALIAN");
        EXPECT_EQ(form.LeftPanel()->Settings.ViewMode, ViewMode::Information);
        EXPECT_EQ(form.RightPanel()->Browser.SortMode, 3);
        EXPECT_TRUE(form.LeftPanel()->Settings.Font_Bold);
        form.MainSettings.ConfirmExit = false;
        ASSERT_TRUE(form.Save_INI());
    }
    const IniFile saved(home / "ov.ini");
    for (const std::string& section : written.sections()) {
        for (const std::string& key : written.keys(section)) {
            if (key == "Left" || key == "Top" || key == "Width" || key == "Height") {
                if (section != "Form_Clipboard")
                    continue; // the layout places the panels
            }
            const std::string expected
                = section == "Confirm" && key == "Exit" ? "0" : written.readString(section, key, "");
            EXPECT_EQ(saved.readString(section, key, "?"), expected) << section << "/" << key;
        }
    }
}

// ov.ini as a saved window wrote it loads and saves to the same bytes: the
// panels take their whole sections over (the keys they draw nothing with
// too: Show_FilesColor, Show_ToolBar, Font_Color) and give them back.
TEST_F(ShellCommandTest, LoadingThenSavingChangesNoByte)
{
    const std::string panel
        = "Path=c:\\alpha\\\nColumns=2\nShow_FileDate=0\nShow_FilesColor=0\nShow_ToolBar=0\n"
          "SorthMethod=srDate\nPanelFon=5\nLineColorSlave=-2147483632\nFont_Name=Courier New\n"
          "Font_Size=10\nFont_Color=255\nFont_Style=[fsBold]\nStolbik_File=150\n"
          "Stolbik_FileType=55\nStolbik_Date=66\n";
    struct Row {
        const char* name;
        std::string text;
    } rows[] = {
        { "first start", "" },
        { "every panel key set",
            "[Global]\nLeft_Style=3\nRight_Style=4\n[Panel_Left]\n" + panel + "[Panel_Right]\n" + panel },
        { "information on the right, stored number out of range on the left",
            "[Global]\nLeft_Style=0\nRight_Style=2\n[Panel_Right]\nShow_FilesColor=0\nFont_Color=-16\n" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeIni(row.text);
        // Shown, so that the panels are laid out as the user sees them.
        const auto loadAndSave = [this] {
            TForm1 form;
            activate(form);
            ASSERT_TRUE(form.Save_INI());
        };
        loadAndSave();
        const std::string first = readFile(home / "ov.ini");
        loadAndSave();
        EXPECT_EQ(readFile(home / "ov.ini"), first);
        const IniFile saved = IniFile::fromText(first);
        const IniFile written = IniFile::fromText(row.text);
        for (const char* section : { "Panel_Left", "Panel_Right" })
            for (const char* key : { "Show_FilesColor", "Show_ToolBar", "Font_Color" })
                EXPECT_EQ(saved.readString(section, key, "?"),
                    written.readString(section, key, key[0] == 'F' ? "16777215" : "1"))
                    << section << "/" << key;
    }
}

TEST_F(ShellCommandTest, CaptionsComeFromTheChosenLanguage)
{
    struct Row {
        const char* language;
        const char* f8;
        const char* fileMenu;
        const char* search;
    } rows[] = {
        { "ENGLISH", "8-Delete", "&File", "  Search" }, { "AMERICAN", "8-Delete", "&File", "  Search" },
        { "RUSSIAN", "8-\xD0\xA3\xD0\xB4\xD0\xB0\xD0\xBB\xD0\xB8\xD1\x82\xD1\x8C",
            "&\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB", "  \xD0\x9F\xD0\xBE\xD0\xB8\xD1\x81\xD0\xBA" },
        { "POLISH", "8-Usu\xC5\x84", "&Plik", "  Szukaj" }, { "ITALIAN", "8-Elimina", "&File", "  Cerca" },
        { "KLINGON", "", "", "  " }, // no file to read: empty captions
    };
    for (const Row& row : rows) {
        writeIni(std::string("[Global]\nLanguage=") + row.language + "\n");
        TForm1 form;
        form.MainSettings.AutoSave = false;
        EXPECT_EQ(form.findChild<QPushButton*>("F8")->text().toStdString(), row.f8) << row.language;
        EXPECT_EQ(form.MenuAction("File")->text().toStdString(), row.fileMenu) << row.language;
        EXPECT_EQ(form.findChild<QLabel*>("PanelSearchCaption")->text().toStdString(), row.search)
            << row.language;
    }
    // ENGLISH without its file: no captions on the keys, nothing else breaks.
    fs::remove(home / "ov_eng.ini");
    writeIni("");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    EXPECT_EQ(form.findChild<QPushButton*>("F2")->text(), "");
    EXPECT_EQ(form.LangTexts.Question_Exit, "");
}

TEST_F(ShellCommandTest, ShortcutsReachTheirFirstEntryEvenFromTheCommandLine)
{
    record({ "Attributes", "PlayLast", "StopMusic", "UserMenu", "SetColors", "Copy", "SortModes" });
    TForm1 form;
    activate(form);
    press(form, Qt::Key_A, Qt::ControlModifier);
    press(form, Qt::Key_M, Qt::ControlModifier);
    press(form, Qt::Key_C, Qt::ControlModifier);
    press(form, Qt::Key_F5);
    press(form, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(
        ran, (std::vector<std::string> { "Attributes", "StopMusic", "SetColors", "Copy", "SortModes" }));
    EXPECT_EQ(form.ComLine()->text(), "");
    // Alt+X opens the quick-search box, which must not swallow them either.
    press(form, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(form.SearchVisible());
    press(form, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ran.back(), "Attributes");
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.SearchVisible());
    EXPECT_EQ(QApplication::focusWidget(), form.ComLine());
}

TEST_F(ShellCommandTest, TypingRunsCommandsAndKeepsTheHistory)
{
    record({ "Delete", "SelectGroup" });
    TForm1 form;
    activate(form);
    QTest::keyClicks(form.ComLine(), "ls -l");
    EXPECT_EQ(form.ComLine()->text(), "ls -l");
    // Gray + selects a group and never reaches the line; Del edits the
    // line while it holds text and deletes files once it is empty.
    press(form, Qt::Key_Plus, Qt::KeypadModifier);
    form.ComLine()->setCursorPosition(0);
    press(form, Qt::Key_Delete);
    EXPECT_EQ(form.ComLine()->text(), "s -l");
    EXPECT_EQ(ran, (std::vector<std::string> { "SelectGroup" }));
    form.ComLine()->setText("ls -l");
    form.ComLine()->end(false);
    const QString typed = form.ComLine()->text();
    form.ComLine()->clear();
    press(form, Qt::Key_Delete);
    EXPECT_EQ(ran, (std::vector<std::string> { "SelectGroup", "Delete" }));
    form.ComLine()->setText(typed);
    EXPECT_EQ(form.SelectGroupMode, 1);
    press(form, Qt::Key_Return);
    ASSERT_EQ(launched.calls.size(), 1u);
    EXPECT_EQ(launched.calls[0].kind, "shell");
    EXPECT_EQ(launched.calls[0].argv, std::vector<std::string> { "ls -l" });
    EXPECT_EQ(launched.calls[0].workingFolder, drive.path());
    EXPECT_EQ(form.ComLine()->text(), "");
    QTest::keyClicks(form.ComLine(), "make");
    press(form, Qt::Key_Return);
    press(form, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text(), "make");
    press(form, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text(), "ls -l");
    // Ctrl+Backspace, Ctrl+Enter and Ctrl+[ on the line.
    form.ComLine()->setText("copy file.txt");
    press(form, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text(), "copy file");
    form.ComLine()->setText("type");
    cursorTo(form.ActivePanel(), "song.MP3");
    press(form, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text(), "type song.mp3");
    // Ctrl+[ inserts the shown folder's host path, quoted for the shell.
    form.ComLine()->setText("ls ");
    press(form, Qt::Key_BracketLeft, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text().toStdString(), "ls " + shellQuoted(drive.path() + "/"));
    // A space on the empty line selects the entry and leaves the line empty.
    form.ComLine()->clear();
    const int selected = form.ActivePanel()->Browser.SelCount;
    press(form, Qt::Key_Space);
    EXPECT_EQ(form.ComLine()->text(), "");
    EXPECT_EQ(form.ActivePanel()->Browser.SelCount, selected + 1);
    // Enter on an empty line opens the current entry: a folder is entered.
    cursorTo(form.ActivePanel(), "alpha");
    press(form, Qt::Key_Return);
    EXPECT_NE(form.ActivePanel()->Browser.CurrentFolder().find("alpha"), std::string::npos);
    EXPECT_EQ(launched.calls.size(), 2u);
    // Backspace on the empty line goes back up; with text it edits the text.
    form.ComLine()->setText("ab");
    press(form, Qt::Key_Backspace);
    EXPECT_EQ(form.ComLine()->text(), "a");
    EXPECT_NE(form.ActivePanel()->Browser.CurrentFolder().find("alpha"), std::string::npos);
    form.ComLine()->clear();
    press(form, Qt::Key_Backspace);
    EXPECT_EQ(form.ActivePanel()->Browser.CurrentFolder(), "c:\\");
    EXPECT_EQ(form.ActivePanel()->CurrentName, "alpha");
}

TEST_F(ShellCommandTest, ATypedCommandThatCannotStartSaysWhy)
{
    TForm1 form;
    activate(form);
    launched.result = false;
    launched.reason = "no terminal program is installed";
    QTest::keyClicks(form.ComLine(), "make");
    press(form, Qt::Key_Return);
    ASSERT_EQ(launched.calls.size(), 1u);
    EXPECT_EQ(launched.calls[0].kind, "shell");
    EXPECT_EQ(lastQuestion(), "Cannot run \"make\": no terminal program is installed");
    EXPECT_EQ(prompts.asked.back().icon, Icon::Error);
    // Ctrl+] takes the other panel's folder, a link's own path included.
    drive.folder("deep/er");
    form.RightPanel()->Settings.Path = "c:\\deep\\er";
    form.RightPanel()->ReadFolder();
    press(form, Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(form.ComLine()->text().toStdString(), shellQuoted(drive / "deep/er/"));
}

TEST_F(ShellCommandTest, FileWorkOpensEachKindThroughItsHandler)
{
    std::vector<std::string> opened;
    for (const char* name : { "ViewPicture", "PlaySound", "PlayMpeg", "PlayModule", "ViewText" })
        registerFileHandler(name, [&opened, name](TForm1&, const std::string& path) {
            opened.push_back(std::string(name) + " " + path);
        });
    TForm1 form;
    form.MainSettings.AutoSave = false;
    TFPanel* panel = form.ActivePanel();
    for (const char* name : { "photo.JPG", "song.MP3", "notes", "clip.avi", "page.html" }) {
        cursorTo(panel, name);
        form.File_Work(panel->CurrentPath());
    }
    const std::string root = panel->Browser.CurrentFolder();
    EXPECT_EQ(opened,
        (std::vector<std::string> { "ViewPicture " + root + "photo.JPG", "PlayMpeg " + root + "song.MP3",
            "ViewText " + root + "notes" }));
    ASSERT_EQ(launched.calls.size(), 2u);
    EXPECT_EQ(launched.calls[0].kind, "start");
    EXPECT_EQ(launched.calls[0].argv, mapProgram("mplayer.exe", { drive / "clip.avi" }));
    EXPECT_EQ(launched.calls[1].kind, "open");
    EXPECT_EQ(launched.calls[1].argv.back(), drive / "page.html");
    EXPECT_EQ(IniFile(home / "windows/ov.ini").readString("TForm1", "URL", ""), root + "page.html");
    // A folder is measured, nothing opens and nothing is asked.
    cursorTo(panel, "alpha");
    form.File_Work(panel->CurrentPath());
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(launched.calls.size(), 2u);
    EXPECT_TRUE(prompts.asked.empty());
    // Without a handler the user is told plainly, by the command's caption
    // from the language file, never by the handler's internal name.
    CommandRegistry::instance().clear();
    cursorTo(panel, "notes");
    form.File_Work(panel->CurrentPath());
    EXPECT_EQ(lastQuestion(), "\"View\" is not available yet.");
}

TEST_F(ShellCommandTest, NotAvailableNamesTheCommandAsTheMenuDoes)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    const std::pair<const char*, const char*> rows[] = {
        { "DriveDialog", "Change drive" },
        { "DriveDialogModal", "Change drive" },
        { "ChangeDrive", "Change drive" },
        { "Copy", "Copy" },
    };
    for (const auto& [command, caption] : rows) {
        form.RunCommand(command);
        EXPECT_EQ(lastQuestion(), "\"" + std::string(caption) + "\" is not available yet.") << command;
    }
    cursorTo(form.ActivePanel(), "notes");
    form.RunCommand("Edit");
    EXPECT_EQ(lastQuestion(), "\"Edit\" is not available yet.");
}

TEST_F(ShellCommandTest, AnEmptyPanelHasNoEntryToViewEditOrEnter)
{
    std::vector<std::string> opened;
    for (const char* name : { "ViewText", "EditText", "ViewPicture" })
        registerFileHandler(name, [&opened, name](TForm1&, const std::string& path) {
            opened.push_back(std::string(name) + " " + path);
        });
    test::TempFolder empty;
    DriveTable::instance().setDrives(
        { { 'c', drive.path(), DriveType::Fixed }, { 'q', empty.path(), DriveType::Fixed } });
    TForm1 form;
    activate(form);
    TFPanel* panel = form.ActivePanel();
    panel->Settings.Path = "q:\\";
    panel->ReadFolder();
    ASSERT_EQ(panel->Browser.Count, 0);
    EXPECT_FALSE(panel->HasCurrentEntry());
    form.RunCommand("View");
    form.RunCommand("Edit");
    press(form, Qt::Key_F3);
    press(form, Qt::Key_F4);
    press(form, Qt::Key_Return);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(launched.calls.empty());
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(ShellCommandTest, WhileAFolderIsReadOnlyEscDoesAnything)
{
    drive.write("slow/inside.txt", "x");
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    int held = 0;
    setListingHook([&](const std::string& folder) {
        if (folder.find("/slow") == std::string::npos)
            return;
        std::unique_lock<std::mutex> lock(mutex);
        ++held;
        changed.wait(lock, [&] { return released; });
        --held;
        changed.notify_all();
    });
    {
        TForm1 form;
        activate(form);
        cursorTo(form.ActivePanel(), "slow");
        bool reading = false;
        QTimer::singleShot(TFPanel::ReadingDelayMs + 150, &form, [&] {
            reading = form.ActivePanel()->IsReading();
            press(form, Qt::Key_F8); // no delete question
            press(form, Qt::Key_Tab); // no panel change
            press(form, Qt::Key_Return); // no second read
            form.RunCommand("Copy"); // nor a command from a menu
            press(form, Qt::Key_Escape);
        });
        press(form, Qt::Key_Return);
        EXPECT_TRUE(reading);
        EXPECT_TRUE(prompts.asked.empty());
        EXPECT_EQ(form.ActiveSide, "Left");
        EXPECT_EQ(form.ActivePanel()->Browser.CurrentFolder(), "c:\\");
        EXPECT_FALSE(form.ActivePanel()->IsReading());
    }
    std::unique_lock<std::mutex> lock(mutex);
    released = true;
    changed.notify_all();
    changed.wait(lock, [&] { return held == 0; });
    lock.unlock();
    setListingHook(nullptr);
}

TEST_F(ShellCommandTest, CtrlBackslashMovesThePromptToTheRoot)
{
    writeIni("[Panel_Left]\nPath=c:\\alpha\n");
    TForm1 form;
    activate(form);
    auto* prompt = form.findChild<QLabel*>("ComRead");
    EXPECT_EQ(prompt->text(), "C:\\alpha\\");
    press(form, Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(form.ActivePanel()->Browser.CurrentFolder(), "c:\\");
    EXPECT_EQ(prompt->text(), "C:\\");
}

TEST_F(ShellCommandTest, EditRunsTheEditorWithTheFileAsItsOwnArgument)
{
    std::vector<std::string> edited;
    registerFileHandler("EditText", [&edited](TForm1&, const std::string& path) { edited.push_back(path); });
    TForm1 form;
    form.MainSettings.AutoSave = false;
    TFPanel* panel = form.ActivePanel();
    cursorTo(panel, "alpha");
    form.RunCommand("Edit");
    EXPECT_TRUE(edited.empty());
    cursorTo(panel, "notes");
    form.RunCommand("Edit");
    EXPECT_EQ(edited.size(), 1u);
    form.MainSettings.EditorType = "ext";
    form.MainSettings.EditorName = "\"/opt/my editor/ed\" -f";
    form.RunCommand("Edit");
    ASSERT_EQ(launched.calls.size(), 1u);
    EXPECT_EQ(
        launched.calls[0].argv, (std::vector<std::string> { "/opt/my editor/ed", "-f", drive / "notes" }));
    // The terminal opens in the panel's folder.
    form.RunCommand("MSDOS");
    EXPECT_EQ(launched.calls.back().argv, mapProgram("command.com", {}));
    EXPECT_EQ(launched.calls.back().workingFolder, drive.path());
}

TEST_F(ShellCommandTest, UnregisteredCommandsSayTheyAreNotAvailable)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.RunCommand("Copy");
    EXPECT_EQ(lastQuestion(), "\"Copy\" is not available yet.");
    bool copied = false;
    registerCommand("Copy", [&copied](TForm1&) { copied = true; });
    form.RunCommand("Copy");
    EXPECT_TRUE(copied);
    EXPECT_EQ(prompts.asked.size(), 1u);
    // Resource Explorer on a file of another type shows the language's error.
    cursorTo(form.ActivePanel(), "notes");
    form.RunCommand("ResourceExplorer");
    EXPECT_EQ(lastQuestion(), form.LangTexts.ResExplorer_Error_OnStart);
    EXPECT_EQ(prompts.asked.back().icon, Icon::Error);
}

TEST_F(ShellCommandTest, EmptyRecycleBinEmptiesTheDesktopTrashAfterTheQuestion)
{
    data.write("Trash/files/old.txt", "x");
    data.write("Trash/info/old.txt.trashinfo", "[Trash Info]\n");
    drive.write("Recycled/kept.txt", "kept");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    prompts.answers = { Answer::Cancel, Answer::Ok };
    form.RunCommand("EmptyRecycleBin");
    EXPECT_TRUE(fs::exists(data / "Trash/files/old.txt"));
    form.RunCommand("EmptyRecycleBin");
    EXPECT_FALSE(fs::exists(data / "Trash/files/old.txt"));
    EXPECT_FALSE(fs::exists(data / "Trash/info/old.txt.trashinfo"));
    EXPECT_TRUE(fs::exists(drive / "Recycled/kept.txt"));
    EXPECT_EQ(prompts.asked[0].text, "Do you want really clear Recycle Bin ?");
    EXPECT_EQ(prompts.asked[0].buttons, Buttons::OkCancel);
}

TEST_F(ShellCommandTest, SaveConfigurationReportsSuccessAndFailure)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.SaveConfiguration();
    EXPECT_EQ(lastQuestion(), "The configuration has been saved.");
    EXPECT_EQ(prompts.asked.back().icon, Icon::Information);
    // A folder in the way of ov.ini: the write fails and the user hears of it.
    fs::remove(home / "ov.ini");
    fs::create_directories(home / "ov.ini/x");
    form.SaveConfiguration();
    EXPECT_NE(lastQuestion().find("could not be saved"), std::string::npos);
    EXPECT_EQ(prompts.asked.back().icon, Icon::Error);
}

TEST_F(ShellCommandTest, SetDefaultConfigurationAsksThenResets)
{
    writeIni("[Global]\nMain_Splitter=20\n[Panel_Left]\nPanelFon=255\n");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    prompts.answers = { Answer::Cancel, Answer::Ok };
    form.RunCommand("SetDefaultConfig");
    EXPECT_EQ(form.MainSettings.Main_Splitter, 20);
    form.RunCommand("SetDefaultConfig");
    EXPECT_EQ(form.MainSettings.Main_Splitter, 7);
    EXPECT_EQ(form.LeftPanel()->Settings.PanelFon, 0x800000);
    EXPECT_EQ(form.LeftPanel()->Settings.NameColWidth, 103);
    EXPECT_EQ(form.pos(), QPoint(0, 0));
    EXPECT_EQ(prompts.asked[0].text, "Do you want set default configuration of Orvanta ?");
}

TEST_F(ShellCommandTest, CalculatorStartsAtZeroWithItsLanguageTitle)
{
    writeIni("[Global]\nLanguage=RUSSIAN\n");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    std::vector<std::string> seen;
    form.setModalRunner([&seen](QDialog& dialog) {
        auto& calculator = static_cast<TCalculatorDialog&>(dialog);
        seen.push_back(dialog.windowTitle().toStdString() + "|" + calculator.engine().display());
        calculator.press("7");
        return 0;
    });
    form.RunCommand("Calculator");
    form.RunCommand("Calculator");
    const std::string russian
        = "\xD0\x9A\xD0\xB0\xD0\xBB\xD1\x8C\xD0\xBA\xD1\x83\xD0\xBB\xD1\x8F\xD1\x82\xD0\xBE\xD1\x80|0";
    EXPECT_EQ(seen, (std::vector<std::string> { russian, russian }));
    form.MainSettings.Language = "ENGLISH";
    form.RunCommand("Calculator");
    EXPECT_EQ(seen.back(), "Calculator|0");
}

TEST(CalculatorEngine, ChainsLeftToRightAndRefusesDivisionByZero)
{
    const std::pair<const char*, const char*> rows[] = {
        { "12+3*2=", "30" },
        { "1.5+1.5=", "3" },
        { "7/2=", "3.5" },
        { "1/0=", "Error" },
        { "1/0=5+", "Error" },
        { "1/0=C", "0" },
        { "9<", "0" },
        { "123<", "12" },
        { "5-8=", "-3" },
    };
    for (const auto& [keys, display] : rows) {
        CalculatorEngine engine;
        for (const char* key = keys; *key; ++key)
            engine.press(std::string(1, *key));
        EXPECT_EQ(engine.display(), display) << keys;
    }
}

TEST_F(ShellCommandTest, ViewModesAndTheirChecks)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    TFPanel* left = form.LeftPanel();
    form.RunCommand("ExtendedView");
    EXPECT_EQ(left->Settings.ViewMode, ViewMode::Full);
    EXPECT_EQ(left->Settings.Columns, 1);
    form.RunCommand("ShowFiles");
    EXPECT_EQ(left->Settings.ViewMode, ViewMode::Brief);
    EXPECT_EQ(left->Settings.Columns, 3);
    // Information only while neither panel shows it.
    form.RightPanel()->Settings.ViewMode = ViewMode::Information;
    form.RunCommand("InfoView");
    EXPECT_EQ(left->Settings.ViewMode, ViewMode::Brief);
    form.RightPanel()->Settings.ViewMode = ViewMode::Full;
    form.RunCommand("InfoView");
    EXPECT_EQ(left->Settings.ViewMode, ViewMode::Information);
    form.RunCommand("ActiveRight");
    EXPECT_EQ(form.ActiveSide, "Right");
    EXPECT_TRUE(form.MenuAction("Panel_Right")->isChecked());
    EXPECT_FALSE(form.MenuAction("Panel_Left")->isChecked());
    form.RunCommand("ShowStatusBar");
    EXPECT_FALSE(form.MainSettings.Show_StatusBar);
    EXPECT_FALSE(form.findChild<QWidget*>("StatusBar1")->isVisible());
}
