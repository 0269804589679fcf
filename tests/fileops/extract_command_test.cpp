// Shift+F2 in the whole main window, with the windows registered as
// commands: the extract dialog proposes the other panel's folder and Extract
// writes the archive under the cursor there.
#include "fileops/extract_window.h"
#include "fileops/main_window_commands.h"
#include "platform/dialogs.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/fileops/tree.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace ov;
using namespace ov::test;

namespace {

class ExtractCommandTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        if (std::system("command -v zip >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "zip is not installed";
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini", home / "ov_eng.ini");
        std::ofstream(home / "ov.ini") << "[Panel_Left]\nPath=c:\\src\\\n[Panel_Right]\nPath=c:\\dst\\\n";
        root.write("made/a.txt", "A");
        root.write("made/d/b.txt", "B");
        root.folder("src");
        root.folder("dst");
        ASSERT_EQ(std::system(("cd '" + root / "made" + "' && zip -q -r ../src/x.zip a.txt d").c_str()), 0);
        setPrompts(&scripted);
        registerFileOpsCommands();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        ::unsetenv("ORVANTA_HOME");
        FileOpsTest::TearDown();
    }

    TempFolder home;
    ScriptedPrompts scripted;
};

} // namespace

TEST_F(ExtractCommandTest, ShiftF2ExtractsIntoTheOtherPanel)
{
    TForm1 form;
    form.resize(640, 400);
    form.show();
    TFPanel& left = *form.LeftPanel();
    int index = 0;
    for (int i = 1; i <= left.Browser.Count; ++i)
        if (left.Browser.NameAt(i) == "x.zip")
            index = i;
    ASSERT_GT(index, 0);
    left.SetCursorIndex(index);

    // The dialog is modal: Extract is pressed once it is up.
    std::string proposed;
    QTimer::singleShot(0, &form, [&proposed] {
        TFormExtract& dialog = TFormExtract::instance();
        proposed = dialog.findChild<QComboBox*>("Edit1")->currentText().toStdString();
        dialog.Button1Click();
    });
    // The menu's action for Shift+F2, once both panels have been read.
    while (form.LeftPanel()->IsReading() || form.RightPanel()->IsReading())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QAction* shiftF2 = nullptr;
    for (QAction* action : form.findChildren<QAction*>())
        if (action->shortcut() == QKeySequence(Qt::SHIFT | Qt::Key_F2))
            shiftF2 = action;
    ASSERT_NE(shiftF2, nullptr);
    shiftF2->trigger();
    EXPECT_EQ(proposed, "c:\\dst\\");
    EXPECT_EQ(describeTree(root / "dst"), (Tree { { "a.txt", "f A" }, { "d", "d" }, { "d/b.txt", "f B" } }));
    EXPECT_TRUE(scripted.asked.empty());
    form.MainSettings.AutoSave = false;
}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
