// The copy, rename/move and delete windows over two real file lists, with
// the scripted prompt service: texts, confirmation on and off, Cancel in the
// middle of a walk, the drag source, the system function, the cursor rule.
#include "fileops/copy_window.h"
#include "fileops/delete_window.h"
#include "fileops/ren_move_window.h"
#include "platform/dialogs.h"
#include "platform/process_messages.h"
#include "tests/fileops/test_host.h"
#include "tests/fileops/tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ov;
using namespace ov::test;

namespace {

class WindowsTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        setPrompts(&scripted);
        root.write("src/a.txt", "A");
        root.write("src/b.txt", "B");
        root.write("src/c.txt", "C");
        root.write("src/d/x", "X");
        root.folder("dst");
        open(host.active, "src");
        open(host.other, "dst");
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        setProcessMessagesHook(nullptr);
        FileOpsTest::TearDown();
    }
    void cursorOn(const std::string& name) { host.activeCursor = indexOf(host.active, name); }
    // The window on screen, or none.
    static QDialog* shownWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                return dialog;
        return nullptr;
    }

    TestHost host;
    ScriptedPrompts scripted;
};

} // namespace

// The question view: texts from the language section, what and where.
TEST_F(WindowsTest, CopyWindowQuestionView)
{
    TFormCopy window(host);
    select(host.active, { "a.txt", "b.txt" });
    window.FormShow();
    EXPECT_EQ(window.windowTitle().toStdString(), "Copy");
    EXPECT_EQ(window.EditFrom()->text().toStdString(), "Copy 2 file(s)");
    EXPECT_FALSE(window.EditFrom()->isEnabled());
    EXPECT_EQ(window.EditTo()->text().toStdString(), "c:\\dst\\");
    for (const char* name : { "Label_From", "Label_To", "Edit_From", "Edit_To", "CheckBox_SystemCopyFunction",
             "CheckBox_CheckFreeSpace", "Button_OK", "Button_Cancel", "Label_Status", "Label_Source",
             "ProgressBar_File", "ProgressBar_Total" })
        EXPECT_NE(window.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(window.findChild<QCheckBox*>("CheckBox_SystemCopyFunction")->text().toStdString(),
        "System function copy");
    EXPECT_FALSE(window.findChild<QCheckBox*>("CheckBox_CheckFreeSpace")->isVisibleTo(&window));
    // The check box changes the option at once.
    window.findChild<QCheckBox*>("CheckBox_SystemCopyFunction")->click();
    EXPECT_TRUE(host.settings.SysCopy);
}

// Confirmation off: F5 copies at once; the panels are refreshed and the
// copied entries unselected. A drag copies the entry under the press point.
TEST_F(WindowsTest, CopyWithoutConfirmationAndByDrag)
{
    host.settings.ConfirmCopy = false;
    select(host.active, { "a.txt", "d" });
    TFormCopy::Execute(host);
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a.txt", "f A" }, { "d", "d" }, { "d/x", "f X" } }));
    EXPECT_EQ(host.active.SelCount, 0);
    EXPECT_GE(host.updates, 1);
    EXPECT_TRUE(scripted.asked.empty());

    cursorOn("a.txt");
    TFormCopy drag(host);
    drag.FormShow(indexOf(host.active, "c.txt"));
    EXPECT_EQ(drag.EditFrom()->text().toStdString(), "c:\\src\\c.txt");
    drag.Button_OKClick();
    EXPECT_EQ(readWhole(root / "dst/c.txt"), "C");
    EXPECT_FALSE(std::filesystem::exists(root / "dst/b.txt"));
}

// Cancel (Esc, the close box) in the middle of a walk stops it after the
// current file and never closes the window under the walk; a failure shows
// "Cannot copy files" once, after the walk did what it could.
TEST_F(WindowsTest, CancelMidWalkAndFailureBox)
{
    TFormCopy window(host);
    select(host.active, { "a.txt", "b.txt", "c.txt" });
    window.FormShow();
    int pumps = 0;
    setProcessMessagesHook([&] {
        if (++pumps == 1) {
            EXPECT_TRUE(window.Running());
            EXPECT_FALSE(window.close()); // the close box is refused: it stops
            window.reject(); // Esc
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(40)); // the first pump is due
    window.Button_OKClick();
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a.txt", "f A" } }));
    EXPECT_EQ(host.active.SelCount, 0);
    EXPECT_TRUE(scripted.asked.empty());

    // Copying onto itself fails: one box at the end.
    setProcessMessagesHook(nullptr);
    open(host.other, "src");
    cursorOn("b.txt");
    TFormCopy again(host);
    again.FormShow();
    again.Button_OKClick();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text.rfind("Cannot copy files\nc:\\src\\b.txt", 0), 0u)
        << scripted.asked[0].text;
}

// The rename/move window: the own move ignores the typed text; the system
// function takes a bare name from the drive's root, and refuses several
// entries for one name that is not a folder.
TEST_F(WindowsTest, RenameMove)
{
    cursorOn("a.txt");
    TFormRenMove window(host);
    window.FormShow();
    EXPECT_EQ(window.LabelLine()->text().toStdString(), "Rename/move <c:\\src\\a.txt> to:");
    EXPECT_EQ(window.Destination()->currentText().toStdString(), "c:\\dst\\");
    window.Destination()->setEditText("ignored.txt");
    window.Button_OkClick();
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a.txt", "f A" } }));

    host.settings.SysCopy = true;
    cursorOn("b.txt");
    TFormRenMove rename(host);
    rename.FormShow();
    rename.Destination()->setEditText("new.txt");
    rename.Button_OkClick();
    EXPECT_EQ(readWhole(root / "new.txt"), "B");
    EXPECT_EQ(TFormRenMove::FullDestination("\\x\\y", "d:\\"), "d:\\x\\y");
    EXPECT_EQ(TFormRenMove::FullDestination("e:\\y", "d:\\"), "e:\\y");

    select(host.active, { "c.txt", "d" });
    TFormRenMove several(host);
    several.FormShow();
    several.Destination()->setEditText("c:\\one.txt");
    several.Button_OkClick();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Cannot moving files");
    EXPECT_TRUE(std::filesystem::exists(root / "src/c.txt"));
    EXPECT_TRUE(std::filesystem::exists(root / "src/d/x"));
}

// The delete window: the question, the cursor after a delete, '..' kept,
// the Trash with the Recycle Bin option.
TEST_F(WindowsTest, Delete)
{
    cursorOn("d");
    TFormDelete question(host);
    question.FormShow();
    EXPECT_EQ(question.Question()->text().toStdString(), "Do you wish to delete the folder");
    EXPECT_EQ(question.What()->text().toStdString(), "<d>");
    host.settings.Language = "POLISH";
    question.FormShow();
    EXPECT_EQ(question.Question()->text().toStdString(),
        "Do you wish to delete the folder"); // the English file's texts

    host.settings.ConfirmDelete = false;
    struct Row {
        const char* name;
        const char* expectedCursor;
    } rows[] = { { "b.txt", "c.txt" }, { "c.txt", "a.txt" }, { "d", "a.txt" } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cursorOn(row.name);
        TFormDelete::Execute(host);
        EXPECT_EQ(indexOf(host.active, row.name), 0);
        EXPECT_EQ(host.active.NameAt(host.activeCursor), row.expectedCursor);
    }
    host.activeCursor = 1; // ".."
    TFormDelete::Execute(host);
    EXPECT_EQ(describeTree(root / "src"), (Tree { { "a.txt", "f A" } }));

    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    host.settings.DelToRecycle = true;
    cursorOn("a.txt");
    TFormDelete::Execute(host);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(readWhole(root / "data/Trash/files/a.txt"), "A");
    EXPECT_EQ(host.activeCursor, 1);
    EXPECT_TRUE(scripted.asked.empty());
}

// Without the confirmation OK is pressed on the shown window: while the walk
// runs, with either engine, the window is on screen with the path in progress,
// and Esc from inside the walk stops it after the current file.
TEST_F(WindowsTest, WithoutConfirmationTheWalkShowsAndStops)
{
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    host.settings.ConfirmCopy = host.settings.ConfirmMove = host.settings.ConfirmDelete = false;
    const Tree whole { { "a.txt", "f A" }, { "b.txt", "f B" }, { "c.txt", "f C" }, { "d", "d" },
        { "d/x", "f X" } };
    const Tree withoutA { { "b.txt", "f B" }, { "c.txt", "f C" }, { "d", "d" }, { "d/x", "f X" } };
    const Tree onlyA { { "a.txt", "f A" } };
    struct Row {
        const char* name;
        bool system;
        void (*run)(TestHost& host);
        const char* line; // the label that shows the path in progress
        const char* status; // the status line at the first file
        Tree source;
        Tree target;
    } rows[] = {
        { "own copy", false, [](TestHost& h) { TFormCopy::Execute(h); }, "Label_Source", "Copied files: 0",
            whole, onlyA },
        { "system copy", true, [](TestHost& h) { TFormCopy::Execute(h); }, "Label_Source", "Copied files: 0",
            whole, onlyA },
        { "own move", false, [](TestHost& h) { TFormRenMove::Execute(h); }, "Label_Source",
            "Processed file: 0", withoutA, onlyA },
        { "system move", true, [](TestHost& h) { TFormRenMove::Execute(h); }, "Label_Source",
            "Processed file: 0", withoutA, onlyA },
        { "own delete", false, [](TestHost& h) { TFormDelete::Execute(h); }, "Label_Quest", nullptr, withoutA,
            {} },
        { "delete to the Trash", true, [](TestHost& h) { TFormDelete::Execute(h); }, "Label_Quest", nullptr,
            withoutA, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root / "src");
        std::filesystem::remove_all(root / "dst");
        for (const auto& [path, kind] : whole) {
            if (kind == "d")
                root.folder("src/" + path);
            else
                root.write("src/" + path, kind.substr(2));
        }
        root.folder("dst");
        open(host.active, "src");
        open(host.other, "dst");
        select(host.active, { "a.txt", "b.txt", "c.txt" });
        host.settings.SysCopy = host.settings.DelToRecycle = row.system;
        int pumps = 0;
        setProcessMessagesHook([&] {
            if (++pumps > 1)
                return;
            QDialog* window = shownWindow();
            ASSERT_NE(window, nullptr);
            const auto* line = window->findChild<QLabel*>(row.line);
            EXPECT_TRUE(line->isVisible());
            EXPECT_TRUE(line->text().endsWith("a.txt")) << line->text().toStdString();
            if (row.status) {
                EXPECT_EQ(window->findChild<QLabel*>("Label_Status")->text().toStdString(), row.status);
            }
            window->reject(); // Esc
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(40)); // the first pump is due
        row.run(host);
        setProcessMessagesHook(nullptr);
        EXPECT_GE(pumps, 1);
        EXPECT_EQ(shownWindow(), nullptr);
        EXPECT_EQ(describeTree(root / "src"), row.source);
        EXPECT_EQ(describeTree(root / "dst"), row.target);
        EXPECT_TRUE(scripted.asked.empty());
    }
    ::unsetenv("XDG_DATA_HOME");
}

// The system function fills the same progress view as the own walk.
TEST_F(WindowsTest, SystemFunctionProgress)
{
    host.settings.SysCopy = true;
    root.write("src/b.txt", std::string(100000, 'b'));
    open(host.active, "src");
    select(host.active, { "a.txt", "b.txt", "c.txt" });
    TFormCopy window(host);
    window.FormShow();
    window.Button_OKClick();
    EXPECT_EQ(window.findChild<QLabel*>("Label_Status")->text().toStdString(), "Copied files: 2");
    EXPECT_EQ(window.findChild<QLabel*>("Label_Source")->text().toStdString(), "c:\\src\\c.txt");
    EXPECT_EQ(window.findChild<QProgressBar*>("ProgressBar_File")->value(), 100);
    EXPECT_EQ(window.findChild<QProgressBar*>("ProgressBar_Total")->value(), 100);
    EXPECT_EQ(describeTree(root / "dst").size(), 3u);
}

// The system function shows nothing itself: the window shows, in one box,
// what it could not do.
TEST_F(WindowsTest, SystemFunctionFailuresShownByTheWindow)
{
    root.write("data/Trash", "a file in the way");
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    host.settings.DelToRecycle = true;
    host.settings.ConfirmDelete = false;
    cursorOn("a.txt");
    TFormDelete::Execute(host);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(readWhole(root / "src/a.txt"), "A");
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_NE(scripted.asked[0].text.find("c:\\src\\a.txt: "), std::string::npos) << scripted.asked[0].text;
    EXPECT_EQ(scripted.asked[0].icon, Icon::Error);
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
